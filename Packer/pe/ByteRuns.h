// A file to be written as runs of bytes one after another, most of them views of buffers that
// live elsewhere (the launcher read, the payload), so that embed never holds a second copy of
// its output. Portable.
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <vector>

struct ByteRuns {
    std::vector<std::span<const std::uint8_t>> runs;
    std::deque<std::vector<std::uint8_t>> owned;  // the runs made here; a deque keeps them in place
};

// Appends a view of bytes, which must outlive runs.
void AppendView(ByteRuns& runs, std::span<const std::uint8_t> bytes);

// Appends bytes that runs keeps; gives them back so that fields can still be set in them (their
// size must not change).
std::vector<std::uint8_t>& AppendOwned(ByteRuns& runs, std::vector<std::uint8_t> bytes);

// Gives the number of bytes of all runs.
std::uint64_t RunsSize(const ByteRuns& runs);

// Gives all runs as one buffer.
std::vector<std::uint8_t> Flatten(const ByteRuns& runs);
