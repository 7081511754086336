// Builds payload resources for tests: correct ones from a list of files, and, by changing any
// field of the record plan or any byte of the result, each kind of damage the launcher must
// report. Portable; compresses with the full zstd library (tests/support/ZstdFrame.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Launcher/payload/ByteView.h"
#include "tests/support/TestBytes.h"
#include "tests/support/ZstdFrame.h"

// A file to pack: where it belongs and its bytes.
struct TestFile {
    std::wstring folder;
    std::wstring name;
    Bytes bytes;
};

// One manifest record exactly as it will be written. The length words and the text bytes are
// kept apart so that a test can make them disagree.
struct TestRecord {
    std::int32_t folderLength = 0;
    Bytes folderBytes;
    std::int32_t nameLength = 0;
    Bytes nameBytes;
    std::int32_t contentSize = 0;
    std::uint32_t contentCrc = 0;
    std::int32_t compressedSize = 0;
    std::uint32_t compressedCrc = 0;
    std::int32_t dataOffset = 0;
};

// The whole payload before it is turned into bytes.
struct TestPayload {
    std::optional<std::int32_t> count;  // the count word; the number of records when unset
    std::vector<TestRecord> records;
    Bytes trailing;  // bytes after the last record, covered by the checksum
    Bytes data;      // the blob's data area (after its checksum word)
};

// The two resources, each starting with its checksum word.
struct TestPayloadBytes {
    Bytes manifest;
    Bytes blob;

    // Gives views into the two buffers; valid while this value lives unchanged.
    PayloadViews Views() const;
};

// Encodes text as UTF-16LE bytes without a terminator.
Bytes Utf16Le(std::wstring_view text);

// Gives CRC-32C of all of bytes.
std::uint32_t ChecksumOf(const Bytes& bytes);

// Builds a correct payload holding files in the order given.
TestPayload BuildTestPayload(const std::vector<TestFile>& files);

// Appends range to the data area and points record at it with matching size and checksum. Used
// for ranges that are not one plain frame: two frames, a frame of other content, damaged bytes.
void PlaceRange(TestPayload& payload, std::size_t record, const Bytes& range);

// Writes the payload out with both checksum words correct.
TestPayloadBytes SerializeTestPayload(const TestPayload& payload);

// Stores value little-endian at offset of bytes (which must hold offset + 4 bytes).
void StoreUint32Le(Bytes& bytes, std::size_t offset, std::uint32_t value);

// Gives CRC-32C of a resource of at least 4 bytes after its checksum word: what the word must hold.
std::uint32_t ChecksumAfterHeader(const Bytes& resource);

// Recomputes the checksum word of one resource of at least 4 bytes.
void RefreshChecksum(Bytes& resource);
