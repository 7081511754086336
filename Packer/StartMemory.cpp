// The size rule that pack, check and embed apply before a payload ships.
#include "Packer/StartMemory.h"

#include <cstdio>

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

std::string StartMemoryExcess(const StartMemory& memory, std::uint64_t budget) {
    return "a first start needs " + Megabytes(StartMemoryNeeded(memory)) +
           " of address space (image " + Megabytes(memory.image) + ", files " +
           Megabytes(memory.content) + ", largest compressed file " +
           Megabytes(memory.largestCompressed) + ", margin " + Megabytes(StartMemoryMargin) +
           "), more than the " + Megabytes(budget) + " a 32-bit launcher has";
}
