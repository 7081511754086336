// The bytes pack produces, read back with the launcher's own checks: frames shaped as the
// payload requires, ranges back to back from offset 0, and every entry decompressing to its
// file. Also the UTF-8 and UTF-16 conversions the names go through.
#include <zstd.h>

#include "Packer/Compressor.h"
#include "Packer/PayloadBuilder.h"
#include "Packer/Utf16.h"
#include "PackerTestSupport.h"
#include "payload/LittleEndian.h"
#include "payload/PayloadVerify.h"

namespace {

PackedFile Compressed(const std::vector<std::uint8_t>& content, int level) {
    PackedFile packed;
    std::string error;
    EXPECT_TRUE(CompressContent(content, level, packed, error)) << error;
    return packed;
}

TEST(CompressContent, GivesOneSingleSegmentFrameWithContentSizeAndNoExtras) {
    // 1.5 MB exceeds level 1's own 512 KB window: the frame must still be single-segment.
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{70000}, std::size_t{1500000}}) {
        const auto content = TextBytes(size, 7);
        const PackedFile packed = Compressed(content, size > 100000 ? 1 : 19);
        ASSERT_GE(packed.frame.size(), 6u);
        EXPECT_EQ(ReadUint32Le(packed.frame.data()), 0xFD2FB528u);
        const std::uint8_t descriptor = packed.frame[4];
        EXPECT_NE(descriptor & 0x20, 0) << "single segment, size " << size;
        EXPECT_EQ(descriptor & 0x04, 0) << "no content checksum";
        EXPECT_EQ(descriptor & 0x03, 0) << "no dictionary id";
        EXPECT_EQ(ZSTD_getFrameContentSize(packed.frame.data(), packed.frame.size()), size);
        EXPECT_EQ(packed.contentSize, static_cast<std::int32_t>(size));

        std::vector<std::uint8_t> decoded(size);
        EXPECT_EQ(ZSTD_decompress(decoded.data(), decoded.size(), packed.frame.data(),
                                  packed.frame.size()),
                  size);
        EXPECT_EQ(decoded, content);
    }
}

TEST(BuildPayload, LaysRangesBackToBackAndPassesEveryLauncherCheck) {
    std::vector<PayloadRecord> records;
    records.push_back({L"", L"Nimbrel.exe", Compressed(TextBytes(40000, 1), 3)});
    records.push_back({L"Plugins\\Deep", L"m\u00F6d.dll", Compressed(RandomBytes(5000, 2), 3)});
    records.push_back({L"lib", L"empty.dat", Compressed({}, 3)});
    PayloadBytes bytes;
    std::string error;
    ASSERT_TRUE(BuildPayload(records, bytes, error)) << error;

    const PayloadViews views{
        {bytes.manifest.data(), static_cast<std::int32_t>(bytes.manifest.size())},
        {bytes.blob.data(), static_cast<std::int32_t>(bytes.blob.size())}};
    PendingEntries entries;
    const auto failure = VerifyAndParsePayload(views, entries);
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

TEST(Utf16, RoundTripsEveryPlaneAndRejectsMalformedUtf8) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a, é, €, an emoji
    const auto wide = Utf8ToUtf16(text);
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(*wide, (std::wstring{L'a', 0xE9, 0x20AC, 0xD83D, 0xDE00}));
    EXPECT_EQ(Utf16ToUtf8(*wide), text);

    for (const char* bad :
         {"\xFF", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"}) {
        EXPECT_FALSE(Utf8ToUtf16(bad).has_value()) << bad;
    }
    EXPECT_EQ(Utf16ToUtf8(std::wstring{L'x', 0xD800}), "x\xEF\xBF\xBD");
}

}  // namespace
