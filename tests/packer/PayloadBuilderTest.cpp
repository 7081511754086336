// The payload bytes the builder lays out, read back with the launcher's own checks: ranges back
// to back from offset 0, and every entry decompressing to its file.
#include "Packer/payload/PayloadBuilder.h"

#include "Launcher/payload/PayloadVerify.h"
#include "tests/packer/PackerTestSupport.h"

namespace {

TEST(BuildPayload, LaysRangesBackToBackAndPassesEveryLauncherCheck) {
    std::vector<PayloadRecord> records;
    records.push_back({L"", L"Nimbrel.exe", Compressed(TextBytes(40000, 1), 3)});
    records.push_back({L"Plugins\\Deep", L"m\u00F6d.dll", Compressed(RandomBytes(5000, 2), 3)});
    records.push_back({L"lib", L"empty.dat", Compressed({}, 3)});
    PayloadBytes bytes;
    std::string error;
    ASSERT_TRUE(BuildPayload(records, bytes, error)) << error;

    PendingEntries entries;
    const auto failure = VerifyAndParsePayload(ViewsOf(bytes.manifest, bytes.blob), entries);
    ASSERT_FALSE(failure.has_value()) << failure->stage << "." << failure->first;
    ASSERT_EQ(entries.size(), 3u);

    std::size_t nextOffset = 0;
    for (std::int32_t i = 0; i < 3; ++i) {
        const auto& record = records[static_cast<std::size_t>(i)];
        const std::wstring path =
            record.folder.empty() ? record.name : record.folder + L"\\" + record.name;
        const auto found = entries.find(path);
        ASSERT_NE(found, entries.end());
        PayloadEntry& entry = *found->second;
        EXPECT_EQ(entry.index, i);
        EXPECT_EQ(entry.folder, record.folder);
        EXPECT_EQ(entry.compressedData, bytes.blob.data() + 4 + nextOffset);
        nextOffset += static_cast<std::size_t>(entry.compressedSize);
        EXPECT_EQ(entry.Decompress(), 0);
        EXPECT_EQ(entry.contentSize, record.packed.contentSize);
    }
    EXPECT_EQ(nextOffset + 4, bytes.blob.size()) << "the ranges fill the data area exactly";
    EXPECT_EQ(bytes.manifest.size(), 8u + 3 * 28 + 2 * (11 + 12 + 7 + 3 + 9));
}

TEST(BuildPayload, RefusesAnEmptyRecordList) {
    PayloadBytes bytes;
    std::string error;
    EXPECT_FALSE(BuildPayload({}, bytes, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
