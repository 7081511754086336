// VerifyAndParsePayload: the order of the checks (a later fault never hides an earlier one), the
// codes each stage shows, the filing of entries under equal keys, and the named cases the e2e
// suites rely on. Every record's filing by path and index: tests/packer/PayloadBuilderTest.cpp.
#include <gtest/gtest.h>

#include <climits>

#include "Launcher/payload/LittleEndian.h"
#include "Launcher/payload/PayloadVerify.h"
#include "Launcher/payload/UnsafeRecords.h"
#include "tests/payload/support/TestPayloadCases.h"

namespace {

using namespace PayloadCode;

TestPayload ThreeFiles() {
    return BuildTestPayload({{L"", L"app.exe", SeededBytes(1, 900)},
                             {L"Sub", L"lib.dll", SeededBytes(2, 400)},
                             {L"Sub\\Deep", L"mod.bin", SeededBytes(3, 50)}});
}

std::optional<StageError> Verify(const TestPayloadBytes& bytes, PendingEntries& entries) {
    return VerifyAndParsePayload(bytes.Views(), entries);
}

std::optional<StageError> Verify(const TestPayloadBytes& bytes) {
    PendingEntries entries;
    return Verify(bytes, entries);
}

std::string Code(const std::optional<StageError>& error) {
    return error ? FormatStageError(*error) : "ok";
}

TEST(VerifyPayload, KeepsTheFirstOfTwoEqualKeys) {
    TestPayload payload = BuildTestPayload({{L"Sub", L"a.txt", SeededBytes(1, 10)},
                                            {L"", L"b.txt", SeededBytes(2, 10)},
                                            {L"Sub/", L"a.txt", SeededBytes(3, 20)},
                                            {L"Sub", L"A.txt", SeededBytes(4, 30)}});
    PendingEntries entries;
    ASSERT_EQ(Code(Verify(SerializeTestPayload(payload), entries)), "ok");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries.at(L"Sub\\a.txt")->index, 0);
    EXPECT_EQ(entries.at(L"Sub\\a.txt")->contentSize, 10);
    EXPECT_EQ(entries.at(L"SUB\\A.txt")->index, 0);  // one file on Windows
}

TEST(VerifyPayload, IgnoresBytesAfterTheLastRecord) {
    TestPayload payload = ThreeFiles();
    payload.trailing = SeededBytes(4, 13);
    EXPECT_EQ(Code(Verify(SerializeTestPayload(payload))), "ok");
}

TEST(VerifyPayload, RejectsResourcesShorterThanTheirHeaders) {
    const TestPayloadBytes bytes = SerializeTestPayload(ThreeFiles());
    TestPayloadBytes shortManifest = bytes;
    shortManifest.manifest.resize(7);
    shortManifest.blob.resize(0);
    EXPECT_EQ(Code(Verify(shortManifest)), "1.4.0");  // the manifest's fault before the blob's
    TestPayloadBytes headerOnly = bytes;
    headerOnly.manifest.resize(8);
    StoreUint32Le(headerOnly.manifest, 4, 1);
    RefreshChecksum(headerOnly.manifest);
    EXPECT_EQ(Code(Verify(headerOnly)), "5.0.1");
}

TEST(VerifyPayload, AnyFlippedManifestByteFailsTheManifestChecksumBeforeTheBlobIsChecked) {
    TestPayload payload = ThreeFiles();
    payload.trailing = {1, 2, 3};
    const TestPayloadBytes good = SerializeTestPayload(payload);
    for (std::size_t offset = 4; offset < good.manifest.size(); ++offset) {
        TestPayloadBytes bytes = good;
        bytes.manifest[offset] ^= 0x04;
        bytes.blob[4] ^= 0x04;
        const std::optional<StageError> error = Verify(bytes);
        ASSERT_TRUE(error) << offset;
        EXPECT_EQ(error->stage, LaunchStage::ManifestChecksum) << offset;
        EXPECT_EQ(error->first, ChecksumAfterHeader(bytes.manifest)) << offset;
        EXPECT_EQ(error->second, ReadUint32Le(good.manifest.data())) << offset;
    }
}

TEST(VerifyPayload, CountIsCheckedBeforeTheBlob) {
    for (const std::int32_t count : {0, -1, INT_MIN}) {
        TestPayload payload = ThreeFiles();
        payload.count = count;
        TestPayloadBytes bytes = SerializeTestPayload(payload);
        bytes.blob[0] ^= 1;
        EXPECT_EQ(Code(Verify(bytes)), "3." + std::to_string(count) + ".0");
    }
}

TEST(VerifyPayload, CountBeyondTheRecordsFailsAtTheFirstMissingRecord) {
    for (const std::int32_t count : {4, 5, INT_MAX}) {
        TestPayload payload = ThreeFiles();
        payload.count = count;
        EXPECT_EQ(Code(Verify(SerializeTestPayload(payload))), "5.3.1");
    }
}

// Runs what a start into an empty folder runs: the checks, then Decompress of every entry.
std::optional<StageError> StartIntoEmptyFolder(const TestPayloadBytes& bytes) {
    PendingEntries entries;
    if (std::optional<StageError> error = Verify(bytes, entries)) {
        return error;
    }
    for (auto& [key, entry] : entries) {
        if (const std::int32_t result = entry->Decompress(); result < 0) {
            return SignedStageError(LaunchStage::DecompressMissing, entry->index, -result);
        }
    }
    return std::nullopt;
}

TEST(VerifyPayload, NamedCasesShowTheCodesTheyAnnounce) {
    const std::vector<TestPayloadCase> cases = BuildTestPayloadCases();
    ASSERT_GE(cases.size(), 10u);
    for (const TestPayloadCase& item : cases) {
        EXPECT_EQ(Code(StartIntoEmptyFolder(item.bytes)), Code(item.expected)) << item.name;
        if (!item.expected) {
            const auto unsafe = UnsafeRecords(ReadRecordPaths(item.bytes.Views()));
            const auto first = unsafe.empty() ? std::nullopt
                                              : std::optional<std::size_t>(static_cast<std::size_t>(
                                                    unsafe.front().record.index));
            EXPECT_EQ(first, item.refused) << item.name;
        }
    }
}

}  // namespace
