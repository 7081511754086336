// Checks every CRC-32C entry point against the same vectors and against a bit-at-a-time
// reference kept here, independent of the tables under test.
#include "Launcher/payload/Crc32c.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/TestBytes.h"

namespace {

using Crc32cFunction = std::uint32_t (*)(std::uint32_t, const void*, std::size_t);

struct Implementation {
    const char* name;
    Crc32cFunction function;
    bool needsHardware;
};

void PrintTo(const Implementation& implementation, std::ostream* out) {
    *out << implementation.name;
}

std::uint32_t ReferenceCrc32c(std::uint32_t crc, const std::uint8_t* data, std::size_t length) {
    std::uint32_t reg = ~crc;
    for (std::size_t i = 0; i < length; ++i) {
        reg ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            reg = (reg >> 1) ^ ((reg & 1u) ? 0x82F63B78u : 0u);
        }
    }
    return ~reg;
}

std::string ImplementationName(const testing::TestParamInfo<Implementation>& param) {
    return param.param.name;
}

class Crc32cTest : public testing::TestWithParam<Implementation> {
protected:
    void SetUp() override {
        if (GetParam().needsHardware && !Crc32cHardwareAvailable()) {
            GTEST_SKIP() << "this CPU has no SSE4.2";
        }
    }

    std::uint32_t Extend(std::uint32_t crc, const void* data, std::size_t length) const {
        return GetParam().function(crc, data, length);
    }
};

// The check value and the published 32-byte vectors (zeros, ones, ascending, descending), each
// at every alignment.
TEST_P(Crc32cTest, MatchesPublishedVectorsAtEveryAlignment) {
    std::vector<std::pair<std::vector<std::uint8_t>, std::uint32_t>> vectors = {
        {{'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0xE3069283u},
        {std::vector<std::uint8_t>(32, 0x00), 0x8A9136AAu},
        {std::vector<std::uint8_t>(32, 0xFF), 0x62A8AB43u},
        {std::vector<std::uint8_t>(32), 0x46DD794Eu},
        {std::vector<std::uint8_t>(32), 0x113FDB5Cu}};
    for (std::uint8_t i = 0; i < 32; ++i) {
        vectors[3].first[i] = i;
        vectors[4].first[i] = static_cast<std::uint8_t>(31 - i);
    }
    alignas(16) std::uint8_t buffer[48] = {};
    for (const auto& [bytes, expected] : vectors) {
        for (std::size_t offset = 0; offset < 8; ++offset) {
            std::copy(bytes.begin(), bytes.end(), buffer + offset);
            EXPECT_EQ(Extend(0, buffer + offset, bytes.size()), expected) << "offset " << offset;
        }
    }
}

TEST_P(Crc32cTest, EmptyPieceLeavesValueUnchanged) {
    const std::uint8_t byte = 0x5A;
    EXPECT_EQ(Extend(0, nullptr, 0), 0u);
    EXPECT_EQ(Extend(0, &byte, 0), 0u);
    EXPECT_EQ(Extend(0xDEADBEEFu, &byte, 0), 0xDEADBEEFu);
}

TEST_P(Crc32cTest, MatchesDefinitionForEveryLengthAndAlignment) {
    // The short lengths straddle the 4-, 16-, 64- and 256-byte steps of the portable form; the
    // ones near 6,144 straddle the three 2,048-byte streams of the hardware form.
    const std::size_t lengths[] = {0,   1,   3,   4,   15,   16,   17,   63,   64,    255,
                                   256, 257, 272, 273, 1000, 6143, 6144, 6145, 12295, 65536};
    const std::vector<std::uint8_t> data = RandomBytes(65536 + 8, 1);
    for (const std::size_t length : lengths) {
        for (std::size_t offset = 0; offset < 8; ++offset) {
            const std::uint8_t* start = data.data() + offset;
            EXPECT_EQ(Extend(0, start, length), ReferenceCrc32c(0, start, length))
                << "length " << length << ", offset " << offset;
            EXPECT_EQ(Extend(0x12345678u, start, length),
                      ReferenceCrc32c(0x12345678u, start, length))
                << "length " << length << ", offset " << offset << ", continued";
        }
    }
}

// Pieces of a few bytes, of a few thousand and of whole 64 KiB files (the size a file is read
// in), empty ones included, chained in any split.
TEST_P(Crc32cTest, AnySplitGivesSameValue) {
    const std::vector<std::uint8_t> data = RandomBytes(5 * 65536 + 1234, 3);
    const std::uint32_t whole = ReferenceCrc32c(0, data.data(), data.size());
    const std::size_t longest[] = {40, 7000, 65536};
    std::mt19937 engine(4);
    for (int trial = 0; trial < 60; ++trial) {
        std::uniform_int_distribution<std::size_t> pieceLength(0, longest[trial % 3]);
        std::uint32_t crc = 0;
        std::size_t done = 0;
        while (done < data.size()) {
            const std::size_t piece =
                std::min(trial == 0 ? 65536 : pieceLength(engine), data.size() - done);
            crc = Extend(crc, data.data() + done, piece);
            done += piece;
        }
        ASSERT_EQ(crc, whole) << "trial " << trial;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryImplementation, Crc32cTest,
                         testing::Values(Implementation{"Portable", Crc32cPortable, false},
                                         Implementation{"Hardware", Crc32cHardware, true},
                                         Implementation{"Dispatch", Crc32c, false}),
                         ImplementationName);

TEST(Crc32cHardwareTest, AgreesWithPortableOnRandomBuffers) {
    if (!Crc32cHardwareAvailable()) {
        GTEST_SKIP() << "this CPU has no SSE4.2";
    }
    std::mt19937 engine(5);
    std::uniform_int_distribution<std::size_t> length(0, 30000);
    std::uniform_int_distribution<std::size_t> offset(0, 15);
    const std::vector<std::uint8_t> data = RandomBytes(30000 + 16, 6);
    for (int trial = 0; trial < 300; ++trial) {
        const std::uint8_t* start = data.data() + offset(engine);
        const std::size_t size = length(engine);
        const std::uint32_t seed = static_cast<std::uint32_t>(engine());
        ASSERT_EQ(Crc32cHardware(seed, start, size), Crc32cPortable(seed, start, size))
            << "trial " << trial << ", length " << size;
    }
}

TEST(Crc32cDispatchTest, ReportsHardwareExactlyWhenTheCpuHasSse42) {
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
    // The compiler's own CPU probe is an independent witness of what CPUID says.
    EXPECT_EQ(Crc32cHardwareAvailable(), __builtin_cpu_supports("sse4.2") != 0);
#elif defined(_M_X64) || defined(_M_IX86)
    GTEST_SKIP() << "no independent CPU probe with this compiler";
#else
    EXPECT_FALSE(Crc32cHardwareAvailable());
#endif
}

}  // namespace
