// The case list. Damaged records sit in the middle of the manifest so that a reader that gets
// the cursor or the index wrong reports another position.
#include "tests/payload/support/TestPayloadCases.h"

namespace {

std::vector<TestFile> GoodFiles() {
    const std::string text = "Nimbrel test payload\r\n";
    return {
        {L"", L"readme.txt", Bytes(text.begin(), text.end())},
        {L"Sub", L"data.bin", SeededBytes(1, 1000)},
        {L"Sub\\Deep", L"module.dll", SeededBytes(2, 3000)},
        {L"Sub\\Deep", L"empty.dat", {}},
        {L"", L"tail.bin", SeededBytes(3, 300)},
    };
}

TestPayload GoodPayload() {
    return BuildTestPayload(GoodFiles());
}

StageError Checksums(std::int32_t stage, const Bytes& resource, std::uint32_t stored) {
    return {stage, ChecksumAfterHeader(resource), stored};
}

TestPayloadCase Good() {
    return {"good", "five files in three folders; starts cleanly",
            SerializeTestPayload(GoodPayload()), std::nullopt};
}

TestPayloadCase ShortManifest() {
    TestPayloadBytes bytes = SerializeTestPayload(GoodPayload());
    bytes.manifest.resize(7);
    return {"short-manifest", "manifest of 7 bytes, shorter than its header", bytes,
            SignedStageError(LaunchStage::LoadResources, PayloadCode::ManifestEmpty, 0)};
}

TestPayloadCase ShortBlob() {
    TestPayloadBytes bytes = SerializeTestPayload(GoodPayload());
    bytes.blob.resize(3);
    return {"short-blob", "blob of 3 bytes, shorter than its checksum", bytes,
            SignedStageError(LaunchStage::LoadResources, PayloadCode::BlobEmpty, 0)};
}

TestPayloadCase BadManifestCrc() {
    TestPayloadBytes bytes = SerializeTestPayload(GoodPayload());
    const std::uint32_t stored = ChecksumAfterHeader(bytes.manifest) ^ 0x5A5A5A5Au;
    StoreUint32Le(bytes.manifest, 0, stored);
    return {"bad-manifest-crc", "manifest checksum word wrong", bytes,
            Checksums(LaunchStage::ManifestChecksum, bytes.manifest, stored)};
}

TestPayloadCase CountValue(std::string_view name, std::string_view description,
                           std::int32_t count) {
    TestPayload payload = GoodPayload();
    payload.count = count;
    return {name, description, SerializeTestPayload(payload),
            SignedStageError(LaunchStage::RecordCount, count, 0)};
}

TestPayloadCase BadBlobCrc() {
    TestPayloadBytes bytes = SerializeTestPayload(GoodPayload());
    const std::uint32_t stored = ChecksumAfterHeader(bytes.blob) + 1;
    StoreUint32Le(bytes.blob, 0, stored);
    return {"bad-blob-crc", "blob checksum word wrong", bytes,
            Checksums(LaunchStage::BlobChecksum, bytes.blob, stored)};
}

TestPayloadCase CountPastRecords() {
    TestPayload payload = GoodPayload();
    const auto records = static_cast<std::int32_t>(payload.records.size());
    payload.count = records + 1;
    return {"count-past-records", "count one larger than the records present",
            SerializeTestPayload(payload),
            SignedStageError(LaunchStage::ParseRecord, records, -PayloadCode::NoFolderLength)};
}

TestPayloadCase EmptyName() {
    TestPayload payload = GoodPayload();
    payload.records.at(3).nameLength = 0;
    payload.records.at(3).nameBytes.clear();
    return {"empty-name", "record 3 has nameLength 0", SerializeTestPayload(payload),
            SignedStageError(LaunchStage::ParseRecord, 3, -PayloadCode::EmptyName)};
}

TestPayloadCase DamagedRange() {
    TestPayload payload = GoodPayload();
    const TestRecord& record = payload.records.at(1);
    payload.data.at(static_cast<std::size_t>(record.dataOffset + record.compressedSize / 2)) ^=
        0x10;
    return {
        "damaged-range", "record 1's compressed bytes damaged (7.1.12; 6.1.12 if it differs)",
        SerializeTestPayload(payload),
        SignedStageError(LaunchStage::DecompressMissing, 1, -PayloadCode::CompressedCrcMismatch)};
}

TestPayloadCase WrongSizeFrame() {
    TestPayload payload = GoodPayload();
    PlaceRange(payload, 1, CompressFrame(SeededBytes(1, 999)));
    return {"wrong-size-frame", "record 1's frame decodes to one byte less than its size",
            SerializeTestPayload(payload),
            SignedStageError(LaunchStage::DecompressMissing, 1, -PayloadCode::DecodeFailed)};
}

TestPayloadCase BadContentCrc() {
    TestPayload payload = GoodPayload();
    payload.records.at(1).contentCrc ^= 1;
    return {"bad-content-crc", "record 1's content checksum wrong", SerializeTestPayload(payload),
            SignedStageError(LaunchStage::DecompressMissing, 1, -PayloadCode::ContentCrcMismatch)};
}

// A sound payload with one record, at index 2, whose path a start must refuse before it touches
// the working folder: Windows would resolve it to the folder itself, to Config.ini, to the
// folder holding it, or to a device; or it would need the place of the user's Config.ini or of
// another record's folder.
TestPayloadCase UnsafePath(std::string_view name, std::string_view description, std::wstring folder,
                           std::wstring fileName) {
    std::vector<TestFile> files = GoodFiles();
    files.insert(files.begin() + 2, {std::move(folder), std::move(fileName), SeededBytes(4, 64)});
    return {name, description, SerializeTestPayload(BuildTestPayload(files)), std::nullopt, 2};
}

}  // namespace

std::vector<TestPayloadCase> BuildTestPayloadCases() {
    return {
        Good(),
        ShortManifest(),
        ShortBlob(),
        BadManifestCrc(),
        CountValue("count-zero", "record count 0", 0),
        CountValue("count-negative", "record count -1", -1),
        BadBlobCrc(),
        CountPastRecords(),
        EmptyName(),
        DamagedRange(),
        WrongSizeFrame(),
        BadContentCrc(),
        UnsafePath("dot-name", "record 2 is named \".\" in no folder", L"", L"."),
        UnsafePath("config-trailing-dot", "record 2 is named \"Config.ini.\"", L"", L"Config.ini."),
        UnsafePath("nul-name", "record 2 is named by one NUL in folder Plugins", L"Plugins",
                   std::wstring(1, L'\0')),
        UnsafePath("superscript-device-folder", "record 2 lies in folder \"lpt\xC2\xB3.d\"",
                   L"lpt\u00B3.d", L"x.dll"),
        UnsafePath("settings-folder", "record 2 lies in folder \"CONFIG.INI\"", L"CONFIG.INI",
                   L"x.txt"),
        UnsafePath("file-at-folder",
                   "record 2 is a file \"sub\" where records 1, 3 and 4 have a folder", L"",
                   L"sub"),
        UnsafePath("device-zero", "record 2 is named \"Com0.log\"", L"", L"Com0.log")};
}

std::string FormatStageError(const StageError& error) {
    const auto detail = [&](std::uint32_t value) {
        return IsChecksumStage(error.stage) ? std::to_string(value)
                                            : std::to_string(static_cast<std::int32_t>(value));
    };
    return std::to_string(error.stage) + "." + detail(error.first) + "." + detail(error.second);
}
