// CRC-32C (Castagnoli, reflected polynomial 0x82F63B78) in its continuing form: pass the value
// returned for the bytes before this piece, 0 for the first. Portable code; no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>

// Extends crc over length bytes at data (any alignment), choosing the fastest path this CPU has.
std::uint32_t Crc32c(std::uint32_t crc, const void* data, std::size_t length);

// Extends crc a word at a time with stride tables; correct on every CPU.
std::uint32_t Crc32cPortable(std::uint32_t crc, const void* data, std::size_t length);

// Extends crc with the SSE4.2 crc32 instruction; call only when Crc32cHardwareAvailable().
std::uint32_t Crc32cHardware(std::uint32_t crc, const void* data, std::size_t length);

// Tells whether this CPU has SSE4.2 (checked once, then cached).
bool Crc32cHardwareAvailable();
