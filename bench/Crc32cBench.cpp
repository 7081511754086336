// Measures CRC-32C throughput, portable and hardware, against the floor of reading the same
// buffer (a sum of 64-bit words). Usage: crc32c_bench [bytes [repetitions]]; prints the best of
// the repetitions for each, in GB/s (10^9 bytes), and the ratios. Exits 1 if the two forms
// disagree on the buffer or the arguments are bad.
#include "Launcher/payload/Crc32c.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr std::size_t kDefaultBytes = 16u << 20;
constexpr int kDefaultRepetitions = 20;

volatile std::uint64_t resultSink;  // keeps each measured pass from being optimised away

std::uint64_t SumWords(const std::vector<std::uint8_t>& buffer) {
    std::uint64_t sum = 0;
    const std::size_t words = buffer.size() / 8;
    for (std::size_t i = 0; i < words; ++i) {
        std::uint64_t word;
        std::memcpy(&word, buffer.data() + 8 * i, sizeof word);
        sum += word;
    }
    return sum;
}

// Times one pass, in seconds.
template <typename Pass>
double PassSeconds(Pass pass) {
    const auto start = std::chrono::steady_clock::now();
    resultSink = pass();
    const auto stop = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(stop - start).count();
}

bool ParseCount(const char* text, unsigned long long minimum, unsigned long long& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return end != text && *end == '\0' && value >= minimum;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned long long bytes = kDefaultBytes;
    unsigned long long repetitions = kDefaultRepetitions;
    if (argc > 3 || (argc > 1 && !ParseCount(argv[1], 1, bytes)) ||
        (argc > 2 && !ParseCount(argv[2], 1, repetitions)) || repetitions > 1000000) {
        std::fprintf(stderr, "usage: crc32c_bench [bytes [repetitions]]\n");
        return 1;
    }

    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(bytes));
    std::mt19937 engine(7);
    for (auto& byte : buffer) {
        byte = static_cast<std::uint8_t>(engine());
    }
    const int passes = static_cast<int>(repetitions);
    const bool hardware = Crc32cHardwareAvailable();

    const std::uint32_t portableCrc = Crc32cPortable(0, buffer.data(), buffer.size());
    if (hardware && Crc32cHardware(0, buffer.data(), buffer.size()) != portableCrc) {
        std::fprintf(stderr, "crc32c: hardware and portable forms disagree\n");
        return 1;
    }

    // One untimed warm-up pass each, then the three interleaved so that load from other
    // processes falls on all of them alike; the best pass of each counts.
    const auto portable = [&] { return Crc32cPortable(0, buffer.data(), buffer.size()); };
    const auto hardwarePass = [&] { return Crc32cHardware(0, buffer.data(), buffer.size()); };
    const auto read = [&] { return SumWords(buffer); };
    double portableSeconds = PassSeconds(portable);
    double hardwareSeconds = hardware ? PassSeconds(hardwarePass) : 0;
    double readSeconds = PassSeconds(read);
    for (int i = 0; i < passes; ++i) {
        portableSeconds = std::min(portableSeconds, PassSeconds(portable));
        if (hardware) {
            hardwareSeconds = std::min(hardwareSeconds, PassSeconds(hardwarePass));
        }
        readSeconds = std::min(readSeconds, PassSeconds(read));
    }
    const double gigabytes = static_cast<double>(buffer.size()) / 1e9;

    std::printf("crc32c: %zu bytes, best of %d\n", buffer.size(), passes);
    std::printf("  portable  %7.2f GB/s\n", gigabytes / portableSeconds);
    if (hardware) {
        std::printf("  hardware  %7.2f GB/s\n", gigabytes / hardwareSeconds);
        std::printf("  read      %7.2f GB/s\n", gigabytes / readSeconds);
        std::printf("  hardware/portable %5.2f (want >= 3)\n", portableSeconds / hardwareSeconds);
        std::printf("  hardware/read     %5.2f (want >= 0.5)\n", readSeconds / hardwareSeconds);
    } else {
        std::printf("  hardware  unavailable on this CPU\n");
        std::printf("  read      %7.2f GB/s\n", gigabytes / readSeconds);
        std::printf("  portable/read     %5.2f\n", readSeconds / portableSeconds);
    }
    return 0;
}
