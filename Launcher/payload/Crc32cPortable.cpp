// The portable CRC-32C: four 32-bit lanes advanced 16 bytes at a time through stride tables, so
// that a round costs sixteen table lookups and no byte-serial dependency. Correct on every CPU
// and either byte order; all tables are built at compile time.
#include "Launcher/payload/Crc32c.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

constexpr std::uint32_t kPolynomial = 0x82F63B78u;  // reflected Castagnoli polynomial
constexpr std::size_t kStride = 16;                 // bytes covered by one round of four lanes
constexpr std::ptrdiff_t kLookAhead = 256;  // 64-byte rounds run while more than this remains

using Table = std::array<std::uint32_t, 256>;

constexpr Table MakeByteTable() {
    Table table{};
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        std::uint32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ ((crc & 1u) ? kPolynomial : 0u);
        }
        table[byte] = crc;
    }
    return table;
}

constexpr Table kByteTable = MakeByteTable();

// Advances a register over one zero byte.
constexpr std::uint32_t ZeroByteStep(std::uint32_t crc) {
    return kByteTable[crc & 0xFFu] ^ (crc >> 8);
}

// Builds the table for byte `position` (0 = lowest) of a lane: what that byte contributes to the
// register kStride bytes later, where the lane's next word will be XORed in.
constexpr Table MakeStrideTable(std::size_t position) {
    Table table{};
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        std::uint32_t crc = kByteTable[byte];
        for (std::size_t step = position + 1; step < kStride; ++step) {
            crc = ZeroByteStep(crc);
        }
        table[byte] = crc;
    }
    return table;
}

constexpr std::array<Table, 4> kStrideTables = {MakeStrideTable(0), MakeStrideTable(1),
                                                MakeStrideTable(2), MakeStrideTable(3)};

static_assert(kByteTable[1] == 0xF26B8303u);

// The step helpers are marked inline because gcc at -O2 otherwise calls them.
inline std::uint32_t LoadLittleEndian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint32_t ByteStep(std::uint32_t crc, std::uint8_t byte) {
    return kByteTable[(crc ^ byte) & 0xFFu] ^ (crc >> 8);
}

// Moves one lane 16 bytes on: the next word of its stream XOR what its four bytes contribute.
inline std::uint32_t LaneStep(std::uint32_t lane, const std::uint8_t* next) {
    return LoadLittleEndian32(next) ^ kStrideTables[0][lane & 0xFFu] ^
           kStrideTables[1][(lane >> 8) & 0xFFu] ^ kStrideTables[2][(lane >> 16) & 0xFFu] ^
           kStrideTables[3][lane >> 24];
}

// Folds one lane into the register: its four bytes run through the byte table one by one.
std::uint32_t FoldLane(std::uint32_t crc, std::uint32_t lane) {
    std::uint32_t value = lane ^ crc;
    for (int i = 0; i < 4; ++i) {
        value = ZeroByteStep(value);
    }
    return value;
}

}  // namespace

std::uint32_t Crc32cPortable(std::uint32_t crc, const void* data, std::size_t length) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    const std::uint8_t* const end = p + length;
    std::uint32_t reg = crc ^ 0xFFFFFFFFu;

    const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(p) & 3u;
    const std::size_t toAlign = misalignment == 0 ? 0 : 4 - misalignment;
    if (toAlign <= length) {
        for (std::size_t i = 0; i < toAlign; ++i) {
            reg = ByteStep(reg, *p++);
        }
    }

    if (end - p >= static_cast<std::ptrdiff_t>(kStride)) {
        // Four separate locals, not an array, so that they stay in registers at every
        // optimisation level.
        std::uint32_t lane0 = LoadLittleEndian32(p) ^ reg;
        std::uint32_t lane1 = LoadLittleEndian32(p + 4);
        std::uint32_t lane2 = LoadLittleEndian32(p + 8);
        std::uint32_t lane3 = LoadLittleEndian32(p + 12);
        p += kStride;
        while (end - p > kLookAhead) {
            for (int step = 0; step < 4; ++step) {
                lane0 = LaneStep(lane0, p);
                lane1 = LaneStep(lane1, p + 4);
                lane2 = LaneStep(lane2, p + 8);
                lane3 = LaneStep(lane3, p + 12);
                p += kStride;
            }
        }
        while (end - p >= static_cast<std::ptrdiff_t>(kStride)) {
            lane0 = LaneStep(lane0, p);
            lane1 = LaneStep(lane1, p + 4);
            lane2 = LaneStep(lane2, p + 8);
            lane3 = LaneStep(lane3, p + 12);
            p += kStride;
        }
        // Each 4-byte step hands the first lane's place to the next stream in order.
        while (end - p >= 4) {
            const std::uint32_t advanced = LaneStep(lane0, p);
            lane0 = lane1;
            lane1 = lane2;
            lane2 = lane3;
            lane3 = advanced;
            p += 4;
        }
        reg = FoldLane(0, lane0);
        reg = FoldLane(reg, lane1);
        reg = FoldLane(reg, lane2);
        reg = FoldLane(reg, lane3);
    }

    while (p != end) {
        reg = ByteStep(reg, *p++);
    }
    return reg ^ 0xFFFFFFFFu;
}
