// Serialises test payloads by the manifest and blob formats, independently of the launcher's
// reader, so the tests compare two separate readings of the format.
#include "tests/payload/support/TestPayload.h"

#include "Launcher/payload/Crc32c.h"

PayloadViews TestPayloadBytes::Views() const {
    return ViewsOf(manifest, blob);
}

Bytes Utf16Le(std::wstring_view text) {
    Bytes bytes;
    for (wchar_t unit : text) {
        const auto value = static_cast<std::uint32_t>(unit);
        bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(value >> 8 & 0xFF));
    }
    return bytes;
}

std::uint32_t ChecksumOf(const Bytes& bytes) {
    return Crc32c(0, bytes.data(), bytes.size());
}

TestPayload BuildTestPayload(const std::vector<TestFile>& files) {
    TestPayload payload;
    for (const TestFile& file : files) {
        TestRecord record;
        record.folderBytes = Utf16Le(file.folder);
        record.folderLength = static_cast<std::int32_t>(record.folderBytes.size());
        record.nameBytes = Utf16Le(file.name);
        record.nameLength = static_cast<std::int32_t>(record.nameBytes.size());
        record.contentSize = static_cast<std::int32_t>(file.bytes.size());
        record.contentCrc = ChecksumOf(file.bytes);
        payload.records.push_back(record);
        PlaceRange(payload, payload.records.size() - 1, CompressFrame(file.bytes));
    }
    return payload;
}

void PlaceRange(TestPayload& payload, std::size_t record, const Bytes& range) {
    TestRecord& target = payload.records.at(record);
    target.dataOffset = static_cast<std::int32_t>(payload.data.size());
    target.compressedSize = static_cast<std::int32_t>(range.size());
    target.compressedCrc = ChecksumOf(range);
    payload.data.insert(payload.data.end(), range.begin(), range.end());
}

namespace {

void AppendUint32Le(Bytes& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<std::uint8_t>(value >> shift & 0xFF));
    }
}

void AppendInt32Le(Bytes& bytes, std::int32_t value) {
    AppendUint32Le(bytes, static_cast<std::uint32_t>(value));
}

void AppendBytes(Bytes& bytes, const Bytes& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
}

}  // namespace

TestPayloadBytes SerializeTestPayload(const TestPayload& payload) {
    TestPayloadBytes out;
    AppendUint32Le(out.manifest, 0);
    AppendInt32Le(out.manifest,
                  payload.count.value_or(static_cast<std::int32_t>(payload.records.size())));
    for (const TestRecord& record : payload.records) {
        AppendInt32Le(out.manifest, record.folderLength);
        AppendBytes(out.manifest, record.folderBytes);
        AppendInt32Le(out.manifest, record.nameLength);
        AppendBytes(out.manifest, record.nameBytes);
        AppendInt32Le(out.manifest, record.contentSize);
        AppendUint32Le(out.manifest, record.contentCrc);
        AppendInt32Le(out.manifest, record.compressedSize);
        AppendUint32Le(out.manifest, record.compressedCrc);
        AppendInt32Le(out.manifest, record.dataOffset);
    }
    AppendBytes(out.manifest, payload.trailing);
    AppendUint32Le(out.blob, 0);
    AppendBytes(out.blob, payload.data);
    RefreshChecksum(out.manifest);
    RefreshChecksum(out.blob);
    return out;
}

void StoreUint32Le(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i) & 0xFF);
    }
}

std::uint32_t ChecksumAfterHeader(const Bytes& resource) {
    return Crc32c(0, resource.data() + 4, resource.size() - 4);
}

void RefreshChecksum(Bytes& resource) {
    StoreUint32Le(resource, 0, ChecksumAfterHeader(resource));
}
