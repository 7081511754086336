#include "tests/support/TestBytes.h"

#include <random>

Bytes SeededBytes(std::uint32_t seed, std::size_t count) {
    // A linear congruential generator with runs of repeats.
    Bytes bytes;
    bytes.reserve(count);
    std::uint32_t state = seed * 2654435761u + 1;
    while (bytes.size() < count) {
        state = state * 1664525u + 1013904223u;
        const auto value = static_cast<std::uint8_t>(state >> 24);
        const std::size_t run = (state >> 8) % 4 == 0 ? (state >> 12) % 16 + 1 : 1;
        for (std::size_t i = 0; i < run && bytes.size() < count; ++i) {
            bytes.push_back(value);
        }
    }
    return bytes;
}

Bytes RandomBytes(std::size_t count, std::uint32_t seed) {
    std::mt19937 generator(seed);
    Bytes bytes(count);
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(generator());
    }
    return bytes;
}
