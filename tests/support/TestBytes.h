// Seeded test data, the same on every machine and in every run. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Gives count bytes from a seeded generator, with runs of repeats so that they compress somewhat.
// The fuzzing seeds are made from these bytes: a change here changes the committed corpus.
Bytes SeededBytes(std::uint32_t seed, std::size_t count);

// Gives count bytes from a seeded generator that do not compress.
Bytes RandomBytes(std::size_t count, std::uint32_t seed);
