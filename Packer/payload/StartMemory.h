// What a first start of a launcher holds in its address space at once, and how much a 32-bit
// launcher has. A start maps its image (the payload's compressed bytes in it), holds every
// decompressed file until the main application has started, and copies one compressed file
// at a time before decoding it. Each of these is one block of addresses, so beside the total
// the largest blocks must find room between the system libraries. Portable.
#pragma once

#include <array>
#include <cstddef>
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

// Gives bytes in megabytes with decimals places: "1650 MB" as the size rule speaks, "12.34 MB".
std::string Megabytes(std::uint64_t bytes, int decimals = 0);

// What a payload holds, as check finds it and pack makes it.
struct PayloadTotals {
    std::size_t files = 0;
    std::uint64_t contentBytes = 0;  // every file a start writes, decompressed
    std::uint64_t compressedBytes = 0;
    std::uint64_t largestContent = 0;     // the largest of them
    std::uint64_t largestCompressed = 0;  // the largest of their compressed ranges
};

// Gives nothing when a first start of a 32-bit launcher whose image (payload included) takes
// imageBytes, with or without the large-address-aware flag, fits its address space: image,
// content, largest compressed copy and the margin within the budget, and, with the flag, the
// image, the largest compressed copy and the largest decoded file each in a free block, largest
// first into the smallest that holds it. Otherwise says why, naming what it needs and has.
std::string StartMemoryProblem(std::uint64_t imageBytes, const PayloadTotals& payload,
                               bool largeAddressAware);
