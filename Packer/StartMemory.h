// What a first start of a launcher holds in its address space at once, and how much a 32-bit
// launcher has. A start maps its image (the payload's compressed bytes in it), holds every
// decompressed file until the main application has started, and copies one compressed file
// at a time before decoding it. Portable.
#pragma once

#include <cstdint>
#include <string>

// Room for what a start needs beside the payload: the launcher's code, the system libraries,
// heaps and stacks.
inline constexpr std::uint64_t StartMemoryMargin = 100'000'000;

// What a 32-bit launcher can fill, measured under 32-bit Wine with incompressible payloads in
// 100 MB files. Without the large-address-aware flag (2 GB of addresses) a start failed near
// 1.65 GB in use: 700 MB started, 800 MB did not. With it (4 GB on 64-bit Windows), 1,700 MB
// started (3,502 MB needed before the margin) and 1,800 MB did not.
inline constexpr std::uint64_t SmallAddressBudget = 1'650'000'000;
inline constexpr std::uint64_t LargeAddressBudget = 3'600'000'000;

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
