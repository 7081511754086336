// Reads the little-endian 32-bit words of the payload formats from unaligned bytes. The caller
// has already checked that four bytes are there.
#pragma once

#include <cstdint>

// Returns the unsigned 32-bit word stored little-endian at bytes.
inline std::uint32_t ReadUint32Le(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// Returns the signed 32-bit word stored little-endian at bytes (two's complement).
inline std::int32_t ReadInt32Le(const std::uint8_t* bytes) {
    return static_cast<std::int32_t>(ReadUint32Le(bytes));
}
