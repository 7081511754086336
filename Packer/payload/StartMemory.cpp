// The size rule that pack, check and embed apply before a payload ships.
#include "Packer/payload/StartMemory.h"

#include <algorithm>
#include <cstdio>
#include <functional>

std::string Megabytes(std::uint64_t bytes, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f MB", decimals, static_cast<double>(bytes) / 1e6);
    return text;
}

namespace {

// Tells whether the three largest blocks a start holds all find room in the free blocks.
bool LargestBlocksFit(std::array<std::uint64_t, 3> blocks) {
    std::sort(blocks.begin(), blocks.end(), std::greater<>());
    std::array<std::uint64_t, 3> free = LargeAddressBlocks;
    for (const std::uint64_t block : blocks) {
        std::uint64_t* best = nullptr;
        for (std::uint64_t& room : free) {
            if (room >= block && (best == nullptr || room < *best)) {
                best = &room;
            }
        }
        if (best == nullptr) {
            return false;
        }
        *best -= block;
    }
    return true;
}

}  // namespace

std::string StartMemoryProblem(std::uint64_t imageBytes, const PayloadTotals& payload,
                               bool largeAddressAware) {
    const std::uint64_t budget = largeAddressAware ? LargeAddressBudget : SmallAddressBudget;
    const std::uint64_t needed =
        imageBytes + payload.contentBytes + payload.largestCompressed + StartMemoryMargin;
    if (needed > budget) {
        return "a first start needs " + Megabytes(needed) + " of address space (image " +
               Megabytes(imageBytes) + ", files " + Megabytes(payload.contentBytes) +
               ", largest compressed file " + Megabytes(payload.largestCompressed) + ", margin " +
               Megabytes(StartMemoryMargin) + "), more than the " + Megabytes(budget) +
               " a 32-bit launcher has";
    }
    if (largeAddressAware &&
        !LargestBlocksFit({imageBytes, payload.largestCompressed, payload.largestContent})) {
        return "a first start needs three blocks of addresses at once (image " +
               Megabytes(imageBytes) + ", largest file " + Megabytes(payload.largestContent) +
               " and its compressed copy " + Megabytes(payload.largestCompressed) +
               "), which do not fit the free blocks of " + Megabytes(LargeAddressBlocks[0]) + ", " +
               Megabytes(LargeAddressBlocks[1]) + " and " + Megabytes(LargeAddressBlocks[2]) +
               " a 32-bit launcher has; split the largest file";
    }
    return {};
}
