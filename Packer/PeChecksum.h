// The CheckSum field of a PE optional header, computed as Windows computes it (CheckSumMappedFile):
// the 16-bit one's-complement sum of the file with the field itself taken as zero, plus the
// file's length. Windows checks it for drivers and some system files; a signed file carries the
// value of the bytes that were signed.
#pragma once

#include <cstdint>
#include <span>

// Gives the checksum of file, whose CheckSum field starts at checkSumOffset.
std::uint32_t PeChecksum(std::span<const std::uint8_t> file, std::uint32_t checkSumOffset);
