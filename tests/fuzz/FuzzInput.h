// The layout of one fuzz input, shared by the fuzz target and the seed generator: a flag byte,
// the manifest length as a little-endian 32-bit word, the manifest, then the blob. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// What the target repairs before it runs the checks, so that mutated inputs get past them.
namespace FuzzFlag {
inline constexpr std::uint8_t FixHeaderChecksums = 1;   // both resources' checksum words
inline constexpr std::uint8_t FixRangeChecksums = 2;    // each entry's compressedCrc
inline constexpr std::uint8_t FixContentChecksums = 4;  // contentCrc, after a -14 result
}  // namespace FuzzFlag

struct FuzzPayload {
    std::uint8_t flags = 0;
    std::vector<std::uint8_t> manifest;
    std::vector<std::uint8_t> blob;
};

// Splits an input; a manifest length beyond the input takes all that is left. Inputs shorter
// than the 5-byte prefix give empty resources.
FuzzPayload DecodeFuzzInput(const std::uint8_t* data, std::size_t size);

// Joins the parts into one input that DecodeFuzzInput splits back.
std::vector<std::uint8_t> EncodeFuzzInput(const FuzzPayload& payload);
