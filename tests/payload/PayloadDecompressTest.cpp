// PayloadEntry::Decompress on ranges made by the test writer: the three failures in their order,
// and the ranges that are valid without being one plain frame.
#include <gtest/gtest.h>

#include <climits>

#include "TestPayload.h"
#include "payload/PayloadCodes.h"
#include "payload/PayloadEntry.h"

namespace {

using namespace PayloadCode;

// An entry over range, expecting content, as Parse would leave it.
struct RangeEntry {
    Bytes range;
    PayloadEntry entry;
};

RangeEntry MakeEntry(const Bytes& range, const Bytes& content) {
    RangeEntry made{range, {}};
    made.entry.compressedData = made.range.data();
    made.entry.compressedSize = static_cast<std::int32_t>(made.range.size());
    made.entry.compressedCrc = ChecksumOf(range);
    made.entry.contentSize = static_cast<std::int32_t>(content.size());
    made.entry.contentCrc = ChecksumOf(content);
    return made;
}

Bytes Concat(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST(PayloadEntryDecompress, DecodesOneFrameToTheFile) {
    const Bytes file = SeededBytes(11, 300000);  // more than one zstd block
    RangeEntry made = MakeEntry(CompressFrame(file), file);
    EXPECT_EQ(made.entry.Decompress(), Ok);
    EXPECT_EQ(made.entry.content, file);
}

TEST(PayloadEntryDecompress, FlippedCompressedBitFailsBeforeTheDecoder) {
    const Bytes file = SeededBytes(12, 5000);
    RangeEntry made = MakeEntry(CompressFrame(file), file);
    made.range[made.range.size() / 2] ^= 0x01;
    EXPECT_EQ(made.entry.Decompress(), CompressedCrcMismatch);
    EXPECT_TRUE(made.entry.content.empty());  // content is sized only for the decoder
}

TEST(PayloadEntryDecompress, FrameOfAnotherSizeFailsToDecode) {
    const Bytes file = SeededBytes(13, 5000);
    const Bytes shorter(file.begin(), file.end() - 1);
    const Bytes longer = Concat(file, {0x42});
    EXPECT_EQ(MakeEntry(CompressFrame(shorter), file).entry.Decompress(), DecodeFailed);
    EXPECT_EQ(MakeEntry(CompressFrame(longer), file).entry.Decompress(), DecodeFailed);
}

TEST(PayloadEntryDecompress, BytesThatAreNotOneWholeFrameFailToDecode) {
    const Bytes file = SeededBytes(14, 5000);
    const Bytes frame = CompressFrame(file);
    EXPECT_EQ(MakeEntry(SeededBytes(15, 200), file).entry.Decompress(), DecodeFailed);
    EXPECT_EQ(MakeEntry(Bytes(frame.begin(), frame.end() - 1), file).entry.Decompress(),
              DecodeFailed);
    EXPECT_EQ(MakeEntry(Concat(frame, {0x00}), file).entry.Decompress(), DecodeFailed);
}

TEST(PayloadEntryDecompress, NegativeContentSizeFailsBeforeAnyBufferIsSized) {
    const Bytes file = SeededBytes(16, 100);
    RangeEntry made = MakeEntry(CompressFrame(file), file);
    made.entry.contentSize = -1;
    EXPECT_EQ(made.entry.Decompress(), DecodeFailed);
    EXPECT_TRUE(made.entry.content.empty());
}

TEST(PayloadEntryDecompress, NegativeCompressedSizeIsRejectedWithoutReading) {
    PayloadEntry entry;
    entry.compressedSize = -5;
    EXPECT_EQ(entry.Decompress(), CompressedCrcMismatch);
    PayloadEntry unset;
    unset.compressedSize = 10;  // no range pointer
    EXPECT_EQ(unset.Decompress(), CompressedCrcMismatch);
}

TEST(PayloadEntryDecompress, WrongContentChecksumFailsAfterTheWholeFileWasDecoded) {
    const Bytes file = SeededBytes(17, 5000);
    RangeEntry made = MakeEntry(CompressFrame(file), file);
    made.entry.contentCrc ^= 0x80000000u;
    EXPECT_EQ(made.entry.Decompress(), ContentCrcMismatch);
    EXPECT_EQ(made.entry.content, file);
}

TEST(PayloadEntryDecompress, TwoFramesInOneRangeMakeOneFile) {
    const Bytes first = SeededBytes(18, 3000);
    const Bytes second = SeededBytes(19, 4000);
    RangeEntry made =
        MakeEntry(Concat(CompressFrame(first), CompressFrame(second)), Concat(first, second));
    EXPECT_EQ(made.entry.Decompress(), Ok);
    EXPECT_EQ(made.entry.content, Concat(first, second));
}

TEST(PayloadEntryDecompress, EmptyFileFromAnEmptyRangeOrAnEmptyFrame) {
    PayloadEntry emptyRange;  // size 0, both checksums 0: the CRC-32C of nothing
    EXPECT_EQ(emptyRange.Decompress(), Ok);
    EXPECT_TRUE(emptyRange.content.empty());
    RangeEntry emptyFrame = MakeEntry(CompressFrame({}), {});
    EXPECT_EQ(emptyFrame.entry.Decompress(), Ok);
    EXPECT_TRUE(emptyFrame.entry.content.empty());
}

TEST(PayloadEntryDecompress, ContentThatCannotBeAllocatedFailsToDecode) {
    if (sizeof(void*) != 4) {
        GTEST_SKIP() << "2 GiB can be reserved in a 64-bit process";
    }
    const Bytes file = SeededBytes(20, 100);
    RangeEntry made = MakeEntry(CompressFrame(file), file);
    made.entry.contentSize = INT_MAX;
    EXPECT_EQ(made.entry.Decompress(), DecodeFailed);
    EXPECT_TRUE(made.entry.content.empty());
}

}  // namespace
