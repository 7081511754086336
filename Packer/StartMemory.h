// What a first start of a launcher holds in its address space at once, and how much a 32-bit
// launcher has. A start maps its image (the payload's compressed bytes in it), holds every
// decompressed file until the main application has started, and copies one compressed file
// at a time before decoding it. Portable.
#pragma once

#include <cstdint>
#include <string>

// Room for what a start needs beside the payload: the launcher's code, the system libraries,
// heaps, stacks and the gaps between blocks.
inline constexpr std::uint64_t StartMemoryMargin = 256ull << 20;

// The address space a 32-bit launcher can fill: 2 GiB without the large-address-aware flag;
// with it, the 4 GiB of a 32-bit process on 64-bit Windows less what 32-bit Wine keeps for
// itself, measured by starting launchers there.
inline constexpr std::uint64_t SmallAddressBudget = 2048ull << 20;
inline constexpr std::uint64_t LargeAddressBudget = 3072ull << 20;

struct StartMemory {
    std::uint64_t image = 0;              // the launcher's image, payload included
    std::uint64_t content = 0;            // every file a start writes, decompressed
    std::uint64_t largestCompressed = 0;  // the largest of their compressed ranges
};

// Gives what a start needs: image + content + largestCompressed + the margin.
std::uint64_t StartMemoryNeeded(const StartMemory& memory);

// Gives the budget of a 32-bit launcher with or without the large-address-aware flag.
std::uint64_t StartMemoryBudget(bool largeAddressAware);

// Gives the message for a payload whose start needs more than budget: both figures in MB and
// how the need is made up.
std::string StartMemoryExcess(const StartMemory& memory, std::uint64_t budget);
