// The CheckSum field of a PE optional header, computed as Windows computes it (CheckSumMappedFile):
// the 16-bit one's-complement sum of the file with the field itself taken as zero, plus the
// file's length. Windows checks it for drivers and some system files; a signed file carries the
// value of the bytes that were signed.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Gives the checksum of file, whose CheckSum field starts at checkSumOffset.
std::uint32_t PeChecksum(std::span<const std::uint8_t> file, std::uint32_t checkSumOffset);

// Gives the checksum of the file made of runs one after another.
std::uint32_t PeChecksum(const std::vector<std::span<const std::uint8_t>>& runs,
                         std::uint32_t checkSumOffset);
