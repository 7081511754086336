// What a first start of a launcher holds in its address space at once, and how much a 32-bit
// launcher has. A start maps its image (the payload's compressed bytes in it), holds every
// decompressed file until the main application has started, and copies one compressed file
// at a time before decoding it. Each of these is one block of addresses, so beside the total
// the largest blocks must find room between the system libraries. Portable.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// Room for what a start needs beside the payload: the launcher's code, the system libraries,
// heaps and stacks.
inline constexpr std::uint64_t StartMemoryMargin = 100'000'000;

// What a 32-bit launcher can fill, measured under 32-bit Wine with incompressible payloads in
// 100 MB files. Without the large-address-aware flag (2 GB of addresses) a start failed near
// 1.65 GB in use: 700 MB started, 800 MB did not. With it (4 GB on 64-bit Windows), 1,700 MB
// started (3,502 MB needed before the margin).
inline constexpr std::uint64_t SmallAddressBudget = 1'650'000'000;
inline constexpr std::uint64_t LargeAddressBudget = 3'600'000'000;

// The largest free blocks of addresses a large-address-aware launcher has under 32-bit Wine
// (1,969, 1,037 and 588 MB measured), less room for heaps and stacks. One file of 980 MB started,
// one of 1,050 MB did not: its copy and its decoded bytes found no block.
inline constexpr std::array<std::uint64_t, 3> LargeAddressBlocks = {1'900'000'000, 1'000'000'000,
                                                                    550'000'000};

struct StartMemory {
    std::uint64_t image = 0;              // the launcher's image, payload included
    std::uint64_t content = 0;            // every file a start writes, decompressed
    std::uint64_t largestContent = 0;     // the largest of them
    std::uint64_t largestCompressed = 0;  // the largest of their compressed ranges
};

// Gives what a start needs: image + content + largestCompressed + the margin.
std::uint64_t StartMemoryNeeded(const StartMemory& memory);

// Gives the budget of a 32-bit launcher with or without the large-address-aware flag.
std::uint64_t StartMemoryBudget(bool largeAddressAware);

// Tells whether the image, the largest compressed copy and the largest decoded file, placed
// largest first each into the smallest free block that holds it, all find room.
bool LargestBlocksFit(const StartMemory& memory);

// Gives nothing when a start of a 32-bit launcher with or without the large-address-aware flag
// fits its address space; otherwise says why, naming what it needs and what the launcher has.
std::string StartMemoryProblem(const StartMemory& memory, bool largeAddressAware);
