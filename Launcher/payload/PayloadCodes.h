// Every result number of the payload code, each defined once. These numbers appear in the error
// codes users read out to support, so they are never renumbered.
#pragma once

#include <cstdint>

namespace PayloadCode {

// LoadPayloadResources: the first failing step of loading each resource.
inline constexpr std::int32_t Ok = 0;
inline constexpr std::int32_t ManifestNotFound = 1;
inline constexpr std::int32_t ManifestNotLoaded = 2;
inline constexpr std::int32_t ManifestNotLocked = 3;
inline constexpr std::int32_t ManifestEmpty = 4;
inline constexpr std::int32_t BlobNotFound = 11;
inline constexpr std::int32_t BlobNotLoaded = 12;
inline constexpr std::int32_t BlobNotLocked = 13;
inline constexpr std::int32_t BlobEmpty = 14;

// PayloadEntry::Parse: where a manifest record ran out or went wrong.
inline constexpr std::int32_t NoFolderLength = -1;
inline constexpr std::int32_t FolderPastEnd = -2;
inline constexpr std::int32_t NoNameLength = -3;
inline constexpr std::int32_t NamePastEnd = -4;
inline constexpr std::int32_t NoContentSize = -5;
inline constexpr std::int32_t NoContentCrc = -6;
inline constexpr std::int32_t NoCompressedSize = -7;
inline constexpr std::int32_t NoCompressedCrc = -8;
inline constexpr std::int32_t NoDataOffset = -9;
inline constexpr std::int32_t EmptyName = -10;
inline constexpr std::int32_t RangePastBlob = -11;

// PayloadEntry::Decompress.
inline constexpr std::int32_t CompressedCrcMismatch = -12;
inline constexpr std::int32_t DecodeFailed = -13;
inline constexpr std::int32_t ContentCrcMismatch = -14;

// Gives a short name for a code, for tools that print the number: the number alone does not say
// which step failed without this file at hand.
inline constexpr const char* Name(std::int32_t code) {
    switch (code) {
        case Ok:
            return "ok";
        case ManifestNotFound:
            return "manifest not found";
        case ManifestNotLoaded:
            return "manifest not loaded";
        case ManifestNotLocked:
            return "manifest not locked";
        case ManifestEmpty:
            return "manifest empty";
        case BlobNotFound:
            return "blob not found";
        case BlobNotLoaded:
            return "blob not loaded";
        case BlobNotLocked:
            return "blob not locked";
        case BlobEmpty:
            return "blob empty";
        case NoFolderLength:
            return "no folder length";
        case FolderPastEnd:
            return "folder past end";
        case NoNameLength:
            return "no name length";
        case NamePastEnd:
            return "name past end";
        case NoContentSize:
            return "no content size";
        case NoContentCrc:
            return "no content CRC";
        case NoCompressedSize:
            return "no compressed size";
        case NoCompressedCrc:
            return "no compressed CRC";
        case NoDataOffset:
            return "no data offset";
        case EmptyName:
            return "empty name";
        case RangePastBlob:
            return "range past blob";
        case CompressedCrcMismatch:
            return "compressed CRC mismatch";
        case DecodeFailed:
            return "decode failed";
        case ContentCrcMismatch:
            return "content CRC mismatch";
        default:
            return "unknown code";
    }
}

}  // namespace PayloadCode

// The first number of the three-part error code: which check failed.
namespace LaunchStage {
inline constexpr std::int32_t LoadResources = 1;
inline constexpr std::int32_t ManifestChecksum = 2;
inline constexpr std::int32_t RecordCount = 3;
inline constexpr std::int32_t BlobChecksum = 4;
inline constexpr std::int32_t ParseRecord = 5;
inline constexpr std::int32_t DecompressChanged = 6;
inline constexpr std::int32_t DecompressMissing = 7;
}  // namespace LaunchStage

// A three-part error code. Stages 2 and 4 carry two checksums (shown unsigned); every other stage
// carries signed values, kept here as their 32-bit two's-complement bits.
struct StageError {
    std::int32_t stage = 0;
    std::uint32_t first = 0;
    std::uint32_t second = 0;
};

inline StageError SignedStageError(std::int32_t stage, std::int32_t first, std::int32_t second) {
    return {stage, static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(second)};
}

inline bool IsChecksumStage(std::int32_t stage) {
    return stage == LaunchStage::ManifestChecksum || stage == LaunchStage::BlobChecksum;
}
