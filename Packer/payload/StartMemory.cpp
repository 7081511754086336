// The size rule that pack, check and embed apply before a payload ships.
#include "Packer/payload/StartMemory.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

std::string Megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

}  // namespace

std::uint64_t StartMemoryNeeded(const StartMemory& memory) {
    return memory.image + memory.content + memory.largestCompressed + StartMemoryMargin;
}

std::uint64_t StartMemoryBudget(bool largeAddressAware) {
    return largeAddressAware ? LargeAddressBudget : SmallAddressBudget;
}

bool LargestBlocksFit(const StartMemory& memory) {
    std::array<std::uint64_t, 3> blocks = {memory.image, memory.largestCompressed,
                                           memory.largestContent};
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

std::string StartMemoryProblem(const StartMemory& memory, bool largeAddressAware) {
    const std::uint64_t budget = StartMemoryBudget(largeAddressAware);
    if (StartMemoryNeeded(memory) > budget) {
        return "a first start needs " + Megabytes(StartMemoryNeeded(memory)) +
               " of address space (image " + Megabytes(memory.image) + ", files " +
               Megabytes(memory.content) + ", largest compressed file " +
               Megabytes(memory.largestCompressed) + ", margin " + Megabytes(StartMemoryMargin) +
               "), more than the " + Megabytes(budget) + " a 32-bit launcher has";
    }
    if (largeAddressAware && !LargestBlocksFit(memory)) {
        return "a first start needs three blocks of addresses at once (image " +
               Megabytes(memory.image) + ", largest file " + Megabytes(memory.largestContent) +
               " and its compressed copy " + Megabytes(memory.largestCompressed) +
               "), which do not fit the free blocks of " + Megabytes(LargeAddressBlocks[0]) + ", " +
               Megabytes(LargeAddressBlocks[1]) + " and " + Megabytes(LargeAddressBlocks[2]) +
               " a 32-bit launcher has; split the largest file";
    }
    return {};
}
