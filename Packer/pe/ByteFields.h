// Little-endian fields of PE files: a reader that never reads outside its bytes, writers that
// store into a buffer the caller has sized, and the readers' way of refusing input. Shared by the
// PE reader, the resource tree and the section writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

struct ByteReader {
    std::span<const std::uint8_t> bytes;

    // Tells whether [at, at + length) lies inside the bytes.
    bool Has(std::uint64_t at, std::uint64_t length) const {
        return at <= bytes.size() && length <= bytes.size() - at;
    }
    // Read a field, or nothing when it does not lie inside the bytes.
    std::optional<std::uint16_t> U16(std::uint64_t at) const {
        if (!Has(at, 2)) {
            return std::nullopt;
        }
        const std::uint8_t* p = bytes.data() + at;
        return static_cast<std::uint16_t>(p[0] | p[1] << 8);
    }
    std::optional<std::uint32_t> U32(std::uint64_t at) const {
        if (!Has(at, 4)) {
            return std::nullopt;
        }
        return *U16(at) | std::uint32_t{*U16(at + 2)} << 16;
    }
};

// Stores value at bytes[at]; the caller has made the room.
inline void PutU16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8 & 0xFF);
}

inline void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    PutU16(bytes, at, value & 0xFFFF);
    PutU16(bytes, at + 2, value >> 16);
}

// Rounds value up to a multiple of alignment, a power of two.
inline std::uint64_t AlignUp(std::uint64_t value, std::uint64_t alignment) {
    return (value + alignment - 1) & ~(alignment - 1);
}

// Sets error to why the input is refused and gives false, for `return Refuse(error, ...)`.
inline bool Refuse(std::string& error, std::string why) {
    error = std::move(why);
    return false;
}
