// The checksum of a file already on disk, built chunk by chunk in one fixed buffer. Portable: the
// launcher checks its files with it and nimbrel-pack's diff predicts those checks with it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>

// Gives CRC-32C of the whole file at path, read in 65,536-byte pieces. Gives nothing when the
// file cannot be opened or a read fails before its end, so that such a file never passes for
// right (an empty payload file has the checksum 0).
std::optional<std::uint32_t> ComputeFileChecksum(const std::filesystem::path& path);

// The same over an open stream, read to its end: nothing when a read fails (the stream's badbit,
// which libstdc++ sets when the file's read fails) before the end.
std::optional<std::uint32_t> ComputeStreamChecksum(std::istream& in);
