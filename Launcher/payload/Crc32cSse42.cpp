// The hardware CRC-32C: the SSE4.2 crc32 instruction over three interleaved streams, joined by a
// compile-time table that moves a register across one block of zero bytes. This file alone is
// built with SSE4.2 enabled; it includes no header with inline code that another file could
// share, so no SSE4.2 instruction can leak into code that runs on CPUs without it. Where the
// instruction cannot be used the same entry point falls back to the portable form.
#include "Launcher/payload/Crc32c.h"
#include "Launcher/payload/Crc32cSse42.h"

#include <cstddef>
#include <cstdint>

#if defined(__SSE4_2__) || (defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86)))

#include <cstring>

#include <nmmintrin.h>

namespace {

#if defined(__x86_64__) || defined(_M_X64)
using Word = std::uint64_t;
Word CrcWord(Word crc, Word value) {
    return _mm_crc32_u64(crc, value);
}
#else
using Word = std::uint32_t;
Word CrcWord(Word crc, Word value) {
    return _mm_crc32_u32(static_cast<std::uint32_t>(crc), value);
}
#endif

constexpr std::uint32_t kPolynomial = 0x82F63B78u;  // reflected Castagnoli polynomial
// Bytes per stream per round. Three streams hide the instruction's three-cycle latency; a block
// this long makes the join (eight table lookups) cost nothing by comparison.
constexpr std::size_t kBlock = 2048;

// A linear map on 32-bit registers, given by the images of the 32 single-bit values.
struct LinearMap {
    std::uint32_t column[32] = {};
};

constexpr std::uint32_t Apply(const LinearMap& map, std::uint32_t value) {
    std::uint32_t result = 0;
    for (int bit = 0; bit < 32; ++bit) {
        if ((value >> bit) & 1u) {
            result ^= map.column[bit];
        }
    }
    return result;
}

// Returns first followed by second.
constexpr LinearMap Then(const LinearMap& first, const LinearMap& second) {
    LinearMap result;
    for (int bit = 0; bit < 32; ++bit) {
        result.column[bit] = Apply(second, first.column[bit]);
    }
    return result;
}

// Builds the map that advances a register over `bytes` zero bytes, by repeated squaring of the
// one-bit step.
constexpr LinearMap ZeroBytesMap(std::size_t bytes) {
    LinearMap power;
    for (int bit = 0; bit < 32; ++bit) {
        const std::uint32_t value = 1u << bit;
        power.column[bit] = (value >> 1) ^ ((value & 1u) ? kPolynomial : 0u);
    }
    LinearMap result;
    for (int bit = 0; bit < 32; ++bit) {
        result.column[bit] = 1u << bit;
    }
    for (std::size_t bits = bytes * 8; bits != 0; bits >>= 1) {
        if (bits & 1u) {
            result = Then(result, power);
        }
        power = Then(power, power);
    }
    return result;
}

struct ShiftTables {
    std::uint32_t byte[4][256] = {};
};

constexpr ShiftTables MakeShiftTables() {
    const LinearMap map = ZeroBytesMap(kBlock);
    ShiftTables tables;
    for (int position = 0; position < 4; ++position) {
        for (std::uint32_t value = 0; value < 256; ++value) {
            tables.byte[position][value] = Apply(map, value << (8 * position));
        }
    }
    return tables;
}

constexpr ShiftTables kShift = MakeShiftTables();

std::uint32_t ShiftOverBlock(std::uint32_t crc) {
    return kShift.byte[0][crc & 0xFFu] ^ kShift.byte[1][(crc >> 8) & 0xFFu] ^
           kShift.byte[2][(crc >> 16) & 0xFFu] ^ kShift.byte[3][crc >> 24];
}

Word LoadWord(const std::uint8_t* p) {
    Word value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

}  // namespace

std::uint32_t Crc32cHardware(std::uint32_t crc, const void* data, std::size_t length) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    const std::uint8_t* const end = p + length;
    std::uint32_t reg = crc ^ 0xFFFFFFFFu;

    while (p != end && (reinterpret_cast<std::uintptr_t>(p) & (sizeof(Word) - 1)) != 0) {
        reg = _mm_crc32_u8(reg, *p++);
    }

    // The register after all three blocks is the first stream's moved over two blocks, XOR the
    // second's moved over one, XOR the third's (each of the later two started from zero).
    while (static_cast<std::size_t>(end - p) >= 3 * kBlock) {
        Word first = reg;
        Word second = 0;
        Word third = 0;
        for (std::size_t offset = 0; offset < kBlock; offset += sizeof(Word)) {
            first = CrcWord(first, LoadWord(p + offset));
            second = CrcWord(second, LoadWord(p + kBlock + offset));
            third = CrcWord(third, LoadWord(p + 2 * kBlock + offset));
        }
        reg = ShiftOverBlock(static_cast<std::uint32_t>(first));
        reg = ShiftOverBlock(reg ^ static_cast<std::uint32_t>(second));
        reg ^= static_cast<std::uint32_t>(third);
        p += 3 * kBlock;
    }

    Word wide = reg;
    while (static_cast<std::size_t>(end - p) >= sizeof(Word)) {
        wide = CrcWord(wide, LoadWord(p));
        p += sizeof(Word);
    }
    reg = static_cast<std::uint32_t>(wide);

    while (p != end) {
        reg = _mm_crc32_u8(reg, *p++);
    }
    return reg ^ 0xFFFFFFFFu;
}

bool Crc32cHardwareCompiled() {
    return true;
}

#else

std::uint32_t Crc32cHardware(std::uint32_t crc, const void* data, std::size_t length) {
    return Crc32cPortable(crc, data, length);
}

bool Crc32cHardwareCompiled() {
    return false;
}

#endif
