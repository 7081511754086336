// Reads one manifest record by the record grammar and decodes its compressed range. Every bound
// is tested in 64-bit arithmetic, so no field value, however large or negative, makes a read
// leave the manifest or the blob view.
#include "Launcher/payload/PayloadEntry.h"

#include <new>

#include <zstd.h>

#include "Launcher/base/PathRules.h"
#include "Launcher/payload/Crc32c.h"
#include "Launcher/payload/LittleEndian.h"
#include "Launcher/payload/PayloadCodes.h"
#include "Launcher/payload/PayloadFormat.h"

namespace {

// Tells whether length more bytes from cursor stay inside a view of size bytes.
bool Fits(std::int32_t cursor, std::int64_t length, std::int32_t size) {
    return cursor >= 0 && static_cast<std::int64_t>(cursor) + length <= size;
}

// Takes floor(length / 2) little-endian code units from bytes and keeps those before the first
// NUL: an odd last byte is dropped, an embedded NUL cuts the text short.
std::wstring ReadText(const std::uint8_t* bytes, std::int32_t length) {
    std::wstring text;
    for (std::int32_t unit = 0; unit < length / 2; ++unit) {
        const auto value =
            static_cast<wchar_t>(bytes[2 * unit] | static_cast<unsigned>(bytes[2 * unit + 1]) << 8);
        if (value == L'\0') {
            break;
        }
        text.push_back(value);
    }
    return text;
}

}  // namespace

std::int32_t PayloadEntry::Parse(const PayloadViews& views, std::int32_t& cursor,
                                 std::int32_t recordIndex) {
    using namespace PayloadCode;
    index = recordIndex;
    const std::uint8_t* manifest = views.manifest.data;
    const std::int32_t manifestSize = views.manifest.size;

    if (!Fits(cursor, 4, manifestSize)) {
        return NoFolderLength;
    }
    const std::int32_t folderLength = ReadInt32Le(manifest + cursor);
    cursor += 4;
    if (folderLength > 0) {
        if (!Fits(cursor, folderLength, manifestSize)) {
            return FolderPastEnd;
        }
        folder = ReadText(manifest + cursor, folderLength);
        relativePath = folder;
        cursor += folderLength;
    }

    if (!Fits(cursor, 4, manifestSize)) {
        return NoNameLength;
    }
    const std::int32_t nameLength = ReadInt32Le(manifest + cursor);
    cursor += 4;
    if (nameLength == 0) {
        return EmptyName;
    }
    // A negative length cannot describe bytes that are there: it counts as a name past the end.
    if (nameLength < 0 || !Fits(cursor, nameLength, manifestSize)) {
        return NamePastEnd;
    }
    name = ReadText(manifest + cursor, nameLength);
    relativePath = JoinPath(relativePath, name);
    cursor += nameLength;

    constexpr std::int32_t missingWordCodes[5] = {NoContentSize, NoContentCrc, NoCompressedSize,
                                                  NoCompressedCrc, NoDataOffset};
    std::uint32_t words[5] = {};
    for (int word = 0; word < 5; ++word) {
        if (!Fits(cursor, 4, manifestSize)) {
            return missingWordCodes[word];
        }
        words[word] = ReadUint32Le(manifest + cursor);
        cursor += 4;
    }
    contentSize = static_cast<std::int32_t>(words[0]);
    contentCrc = words[1];
    compressedSize = static_cast<std::int32_t>(words[2]);
    compressedCrc = words[3];
    const auto dataOffset = static_cast<std::int32_t>(words[4]);

    // The range starts after the blob's checksum. The pointer is only formed while it stays
    // inside the view (or one past its end); beyond that it would not be a valid pointer.
    const std::int64_t rangeStart =
        static_cast<std::int64_t>(dataOffset) + PayloadFormat::BlobHeaderSize;
    if (dataOffset >= 0 && rangeStart <= views.blob.size) {
        compressedData = views.blob.data + rangeStart;
    }
    if (dataOffset < 0 || compressedSize < 0 || rangeStart + compressedSize > views.blob.size) {
        return RangePastBlob;
    }
    return Ok;
}

std::int32_t PayloadEntry::Decompress() {
    using namespace PayloadCode;
    if (compressedSize < 0 || (compressedData == nullptr && compressedSize > 0)) {
        return CompressedCrcMismatch;
    }
    try {
        const std::vector<std::uint8_t> copy(compressedData, compressedData + compressedSize);
        if (Crc32c(0, copy.data(), copy.size()) != compressedCrc) {
            return CompressedCrcMismatch;
        }
        // No decoder output can have a negative size; refuse before sizing a buffer.
        if (contentSize < 0) {
            return DecodeFailed;
        }
        content.resize(static_cast<std::size_t>(contentSize));
        const std::size_t decoded =
            ZSTD_decompress(content.data(), content.size(), copy.data(), copy.size());
        if (decoded != content.size()) {
            return DecodeFailed;
        }
        if (Crc32c(0, content.data(), content.size()) != contentCrc) {
            return ContentCrcMismatch;
        }
        return Ok;
    } catch (const std::bad_alloc&) {
        // The file cannot be held in memory, so it cannot be written: report it as undecodable.
        content = {};
        return DecodeFailed;
    }
}
