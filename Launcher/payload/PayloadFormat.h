// The sizes the payload format fixes, for every reader and writer of it: the launcher's checks
// and record reader, and nimbrel-pack's builder, list and check. All words are 32-bit
// little-endian; texts are UTF-16LE without terminator, their lengths counted in bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace PayloadFormat {

// Both resources start with the CRC-32C of everything after this word.
inline constexpr std::int32_t ChecksumWordSize = 4;
// The manifest starts with its checksum word and its record count; the first record follows.
inline constexpr std::int32_t ManifestHeaderSize = 8;
// The record count follows the manifest's checksum word.
inline constexpr std::int32_t CountOffset = ChecksumWordSize;
// The blob starts with its checksum word; a record's data offset counts from the end of it.
inline constexpr std::int32_t BlobHeaderSize = ChecksumWordSize;
// A record without its two texts: the folder and name lengths, then content size, content
// CRC-32C, compressed size, compressed CRC-32C and data offset.
inline constexpr std::int32_t RecordSizeWithoutTexts = 28;
// The largest resource, and the largest file, that the signed 32-bit sizes can describe.
inline constexpr std::int32_t LargestResourceSize = std::numeric_limits<std::int32_t>::max();
// Files in the working folder are checksummed in pieces of this many bytes.
inline constexpr std::size_t ChecksumPieceSize = 65536;

}  // namespace PayloadFormat
