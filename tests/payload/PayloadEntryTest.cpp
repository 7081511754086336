// PayloadEntry against payloads written by the test writer. Parse: every result code in its order
// on the moving cursor, the text rules, the range test and hostile field values. Decompress: the
// three failures in their order, and the ranges that are valid without being one plain frame.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "Launcher/payload/PayloadCodes.h"
#include "Launcher/payload/PayloadEntry.h"
#include "tests/payload/support/TestPayload.h"

namespace {

using namespace PayloadCode;

struct ParseRun {
    PayloadEntry entry;
    std::int32_t result = 0;
    std::int32_t cursor = 8;
    std::ptrdiff_t rangeStart = -1;  // compressedData as a blob offset; -1 when null
};

ParseRun ParseFirst(const TestPayloadBytes& bytes, std::int32_t index = 0) {
    ParseRun run;
    run.result = run.entry.Parse(bytes.Views(), run.cursor, index);
    return run;
}

TestPayload OneFile(const std::wstring& folder, const std::wstring& name, std::size_t size = 100) {
    return BuildTestPayload({{folder, name, SeededBytes(7, size)}});
}

TEST(PayloadEntryParse, ReadsTopLevelRecord) {
    const TestPayload payload = OneFile(L"", L"file.exe");
    const TestPayloadBytes bytes = SerializeTestPayload(payload);
    const ParseRun run = ParseFirst(bytes, 4);
    const TestRecord& record = payload.records[0];
    ASSERT_EQ(run.result, Ok);
    EXPECT_EQ(run.cursor, 8 + 28 + 16);
    EXPECT_EQ(run.entry.index, 4);
    EXPECT_EQ(run.entry.folder, L"");
    EXPECT_EQ(run.entry.name, L"file.exe");
    EXPECT_EQ(run.entry.relativePath, L"file.exe");
    EXPECT_EQ(run.entry.contentSize, record.contentSize);
    EXPECT_EQ(run.entry.contentCrc, record.contentCrc);
    EXPECT_EQ(run.entry.compressedSize, record.compressedSize);
    EXPECT_EQ(run.entry.compressedCrc, record.compressedCrc);
    EXPECT_EQ(run.entry.compressedData, bytes.blob.data() + 4 + record.dataOffset);
    EXPECT_TRUE(run.entry.content.empty());
}

TEST(PayloadEntryParse, JoinsFolderAndNameWithABackslashFromLittleEndianUnits) {
    const std::wstring cases[][3] = {
        {L"Sub\\Deep", L"file.dll", L"Sub\\Deep\\file.dll"},
        {L"\u00e9t\u00e9", L"\u4e2d.txt", L"\u00e9t\u00e9\\\u4e2d.txt"}};
    for (const auto& [folder, name, path] : cases) {
        const ParseRun run = ParseFirst(SerializeTestPayload(OneFile(folder, name)));
        ASSERT_EQ(run.result, Ok);
        EXPECT_EQ(run.entry.folder, folder);
        EXPECT_EQ(run.entry.name, name);
        EXPECT_EQ(run.entry.relativePath, path);
    }
}

TEST(PayloadEntryParse, ReadsConsecutiveRecordsFromTheMovingCursor) {
    const TestPayload payload =
        BuildTestPayload({{L"A", L"one", SeededBytes(1, 10)}, {L"", L"two", SeededBytes(2, 20)}});
    const TestPayloadBytes bytes = SerializeTestPayload(payload);
    std::int32_t cursor = 8;
    PayloadEntry first;
    PayloadEntry second;
    ASSERT_EQ(first.Parse(bytes.Views(), cursor, 0), Ok);
    EXPECT_EQ(cursor, 8 + 28 + 2 + 6);  // past folder "A" and name "one"
    ASSERT_EQ(second.Parse(bytes.Views(), cursor, 1), Ok);
    EXPECT_EQ(static_cast<std::size_t>(cursor), bytes.manifest.size());
    EXPECT_EQ(second.relativePath, L"two");
    EXPECT_EQ(second.contentSize, 20);
}

// Cutting the manifest after every byte of a record shows which field each code belongs to:
// folder "ab" (4 bytes) and name "x.bin" (10 bytes) put the fields at fixed offsets. A cut in the
// five words after the name leaves all five unset, the text already read.
TEST(PayloadEntryParse, ReportsTheFirstMissingFieldForEveryCutLength) {
    const TestPayloadBytes full = SerializeTestPayload(OneFile(L"ab", L"x.bin"));
    ASSERT_EQ(full.manifest.size(), 8u + 28 + 4 + 10);
    // Each field's end in the manifest and the code a cut before that end gives.
    const std::pair<std::size_t, std::int32_t> fields[] = {
        {12, NoFolderLength},   {16, FolderPastEnd},   {20, NoNameLength},
        {30, NamePastEnd},      {34, NoContentSize},   {38, NoContentCrc},
        {42, NoCompressedSize}, {46, NoCompressedCrc}, {50, NoDataOffset}};
    const auto expectedFor = [&](std::size_t length) {
        for (const auto& [end, code] : fields) {
            if (length < end) {
                return code;
            }
        }
        return Ok;
    };
    for (std::size_t length = 8; length <= full.manifest.size(); ++length) {
        TestPayloadBytes cut = full;
        cut.manifest.resize(length);
        const ParseRun run = ParseFirst(cut, 2);
        EXPECT_EQ(run.result, expectedFor(length)) << "manifest cut to " << length << " bytes";
        EXPECT_EQ(run.entry.index, 2);
        EXPECT_LE(static_cast<std::size_t>(run.cursor), length);
        if (length >= 30 && length < 50) {  // a word is missing: none of the five is stored
            EXPECT_EQ(run.entry.contentSize, 0);
            EXPECT_EQ(run.entry.contentCrc, 0u);
            EXPECT_EQ(run.entry.compressedSize, 0);
            EXPECT_EQ(run.entry.compressedCrc, 0u);
            EXPECT_EQ(run.entry.compressedData, nullptr);
            EXPECT_EQ(run.entry.relativePath, L"ab\\x.bin");
        }
    }
}

TEST(PayloadEntryParse, EmptyNameIsReportedBeforeAnyNameBound) {
    TestPayload payload = OneFile(L"", L"x");
    payload.records[0].nameLength = 0;
    TestPayloadBytes bytes = SerializeTestPayload(payload);
    bytes.manifest.resize(8 + 8);  // ends right after nameLength
    EXPECT_EQ(ParseFirst(bytes).result, EmptyName);
}

TEST(PayloadEntryParse, FolderLengthOfZeroOrLessMeansNoFolder) {
    for (const std::int32_t folderLength : {0, -1, INT_MIN}) {
        TestPayload payload = OneFile(L"", L"top.bin");
        payload.records[0].folderLength = folderLength;
        const ParseRun run = ParseFirst(SerializeTestPayload(payload));
        EXPECT_EQ(run.result, Ok) << folderLength;
        EXPECT_EQ(run.entry.folder, L"");
        EXPECT_EQ(run.entry.relativePath, L"top.bin");
        EXPECT_EQ(run.cursor, 8 + 28 + 14);
    }
}

TEST(PayloadEntryParse, OddLengthDropsTheLastByteButTheCursorMovesPastIt) {
    TestPayload payload = OneFile(L"ab", L"name");
    payload.records[0].folderBytes.push_back('z');
    payload.records[0].folderLength = 5;
    payload.records[0].nameBytes.push_back('z');
    payload.records[0].nameLength = 9;
    const ParseRun run = ParseFirst(SerializeTestPayload(payload));
    ASSERT_EQ(run.result, Ok);
    EXPECT_EQ(run.entry.folder, L"ab");
    EXPECT_EQ(run.entry.name, L"name");
    EXPECT_EQ(run.entry.contentSize, 100);
    EXPECT_EQ(run.cursor, 8 + 28 + 5 + 9);
}

TEST(PayloadEntryParse, EmbeddedNulCutsTheText) {
    TestPayload payload = OneFile(L"", L"");
    payload.records[0].nameBytes = Utf16Le(std::wstring(L"a\0b.dll", 7));
    payload.records[0].nameLength = 14;
    const ParseRun run = ParseFirst(SerializeTestPayload(payload));
    ASSERT_EQ(run.result, Ok);
    EXPECT_EQ(run.entry.name, L"a");
    EXPECT_EQ(run.cursor, 8 + 28 + 14);
}

// A record whose range is given by hand, in a blob of blobData data bytes.
ParseRun ParseRange(std::int32_t dataOffset, std::int32_t compressedSize, std::size_t blobData) {
    TestPayload payload = OneFile(L"", L"r");
    payload.data.assign(blobData, 0xAB);
    payload.records[0].dataOffset = dataOffset;
    payload.records[0].compressedSize = compressedSize;
    const TestPayloadBytes bytes = SerializeTestPayload(payload);
    ParseRun run = ParseFirst(bytes);
    if (run.entry.compressedData != nullptr) {
        run.rangeStart = run.entry.compressedData - bytes.blob.data();
        run.entry.compressedData = nullptr;  // the blob dies with bytes
    }
    return run;
}

// Ranges in a blob of 100 data bytes (or none): those inside it, ending exactly at its end too,
// parse; one byte past it, negative or overflowing, they fail, the values still stored.
TEST(PayloadEntryParse, AcceptsOnlyRangesInsideTheBlob) {
    EXPECT_EQ(ParseRange(10, 90, 100).result, Ok);
    EXPECT_EQ(ParseRange(0, 100, 100).result, Ok);
    EXPECT_EQ(ParseRange(100, 0, 100).result, Ok);
    EXPECT_EQ(ParseRange(0, 0, 0).result, Ok);
    const ParseRun past = ParseRange(10, 91, 100);
    EXPECT_EQ(past.result, RangePastBlob);
    EXPECT_EQ(past.entry.compressedSize, 91);
    EXPECT_EQ(past.entry.contentSize, 100);
    EXPECT_EQ(past.rangeStart, 14);
    const struct {
        std::int32_t dataOffset;
        std::int32_t compressedSize;
    } ranges[] = {
        {101, 0},      {0, -1},          {-4, 4},           {-1, 0},      {INT_MIN, 10},
        {INT_MAX, 0},  {INT_MAX - 3, 1}, {INT_MAX - 4, 10}, {0, INT_MAX}, {INT_MAX, INT_MAX},
        {50, INT_MIN},
    };
    for (const auto& range : ranges) {
        const ParseRun run = ParseRange(range.dataOffset, range.compressedSize, 100);
        EXPECT_EQ(run.result, RangePastBlob) << range.dataOffset << " + " << range.compressedSize;
        if (range.dataOffset < 0 || range.dataOffset > 100) {
            EXPECT_EQ(run.rangeStart, -1);
        }
    }
}

TEST(PayloadEntryParse, RejectsLengthsThatRunPastTheManifestWithoutReadingThere) {
    const struct {
        std::int32_t folderLength;
        std::int32_t nameLength;
        std::int32_t expected;
    } cases[] = {
        {INT_MAX, 2, FolderPastEnd},    {INT_MAX - 8, 2, FolderPastEnd}, {1000, 2, FolderPastEnd},
        {0, -2, NamePastEnd},           {0, INT_MIN, NamePastEnd},       {0, INT_MAX, NamePastEnd},
        {0, INT_MAX - 11, NamePastEnd}, {0, 1000, NamePastEnd},
    };
    for (const auto& item : cases) {
        TestPayload payload = OneFile(L"", L"n");
        payload.records[0].folderLength = item.folderLength;
        payload.records[0].nameLength = item.nameLength;
        EXPECT_EQ(ParseFirst(SerializeTestPayload(payload)).result, item.expected)
            << item.folderLength << ", " << item.nameLength;
    }
}

TEST(PayloadEntryParse, CursorOutsideTheManifestFindsNoRecord) {
    const TestPayloadBytes bytes = SerializeTestPayload(OneFile(L"", L"n"));
    for (const std::int32_t start :
         {static_cast<std::int32_t>(bytes.manifest.size()), -4, INT_MIN, INT_MAX - 2}) {
        PayloadEntry entry;
        std::int32_t cursor = start;
        EXPECT_EQ(entry.Parse(bytes.Views(), cursor, 0), NoFolderLength) << start;
        EXPECT_EQ(cursor, start);
    }
}

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

// Each row: an entry over a range and the file it must give, a change, the code, and whether the
// content is then the whole file (decoded) or left empty (failed before the decoder).
TEST(PayloadEntryDecompress, DecodesTheFileOrFailsAtItsStage) {
    const Bytes large = SeededBytes(11, 300000);  // more than one zstd block
    const Bytes file = SeededBytes(12, 5000);
    const Bytes first = SeededBytes(18, 3000);
    const Bytes second = SeededBytes(19, 4000);
    const auto keep = [](RangeEntry&) {};
    const struct {
        const char* what;
        Bytes range;
        Bytes content;
        std::function<void(RangeEntry&)> change;
        std::int32_t code;
        bool decoded;
    } rows[] = {
        {"one frame", CompressFrame(large), large, keep, Ok, true},
        {"two frames", Concat(CompressFrame(first), CompressFrame(second)), Concat(first, second),
         keep, Ok, true},
        {"an empty frame", CompressFrame({}), {}, keep, Ok, true},
        {"a flipped compressed bit", CompressFrame(file), file,
         [](RangeEntry& made) { made.range[made.range.size() / 2] ^= 0x01; }, CompressedCrcMismatch,
         false},
        {"a negative content size", CompressFrame(file), file,
         [](RangeEntry& made) { made.entry.contentSize = -1; }, DecodeFailed, false},
        {"a wrong content checksum", CompressFrame(file), file,
         [](RangeEntry& made) { made.entry.contentCrc ^= 0x80000000u; }, ContentCrcMismatch, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        RangeEntry made = MakeEntry(row.range, row.content);
        row.change(made);
        EXPECT_EQ(made.entry.Decompress(), row.code);
        EXPECT_EQ(made.entry.content, row.decoded ? row.content : Bytes{});
    }
}

// A frame of another size, bytes that are no frame, a frame cut short or followed by a byte.
TEST(PayloadEntryDecompress, RangeThatIsNotOneWholeFrameOfTheFileFailsToDecode) {
    const Bytes file = SeededBytes(13, 5000);
    const Bytes frame = CompressFrame(file);
    const Bytes ranges[] = {CompressFrame(Bytes(file.begin(), file.end() - 1)),
                            CompressFrame(Concat(file, {0x42})), SeededBytes(15, 200),
                            Bytes(frame.begin(), frame.end() - 1), Concat(frame, {0x00})};
    for (const Bytes& range : ranges) {
        EXPECT_EQ(MakeEntry(range, file).entry.Decompress(), DecodeFailed) << range.size();
    }
}

TEST(PayloadEntryDecompress, ReadsNoRangeThatIsNegativeOrMissingAndDecodesAnEmptyOne) {
    PayloadEntry negative;
    negative.compressedSize = -5;
    EXPECT_EQ(negative.Decompress(), CompressedCrcMismatch);
    PayloadEntry unset;
    unset.compressedSize = 10;  // no range pointer
    EXPECT_EQ(unset.Decompress(), CompressedCrcMismatch);
    PayloadEntry emptyRange;  // size 0, both checksums 0: the CRC-32C of nothing
    EXPECT_EQ(emptyRange.Decompress(), Ok);
    EXPECT_TRUE(emptyRange.content.empty());
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
