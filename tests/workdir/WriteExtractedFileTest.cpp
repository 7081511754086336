// The writer against real folders: what it clears out of the way, what it leaves, and the
// write-file-failed failure for a path that would leave the working directory (for a file held
// open, and a folder where a file belongs, see tests/e2e).
#include "Launcher/workdir/WriteExtractedFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "Launcher/report/FatalText.h"
#include "Launcher/workdir/FileSystem.h"
#include "tests/workdir/support/WorkdirTestSupport.h"

namespace {

using WriterTest = TempFolderTest;

// Decompresses and writes one entry, as the synchronisation does.
void Write(const std::wstring& folder, const std::shared_ptr<PayloadEntry>& entry) {
    ASSERT_EQ(entry->Decompress(), 0);
    EXPECT_FALSE(WriteExtractedFile(folder, entry).has_value());
}

// Writes a decompressed entry and gives the path of the write-file-failed failure, or nothing.
std::optional<std::wstring> FailedPath(const std::wstring& folder,
                                       const std::shared_ptr<PayloadEntry>& entry) {
    const std::optional<LaunchFailure> failure = WriteExtractedFile(folder, entry);
    if (!failure) {
        return std::nullopt;
    }
    EXPECT_EQ(failure->text, WriteFileFailedText);
    return failure->path;
}

TEST_F(WriterTest, ReplacesFilesStandingWhereFoldersShouldBe) {
    WriteFileBytes(At(L"Plugins"), TextBytes("a file"));
    MakeDirectories(At(L"Modules"));
    WriteFileBytes(At(L"Modules\\Tools"), TextBytes("another file"));
    AddAttributes(At(L"Modules\\Tools"), FILE_ATTRIBUTE_READONLY);
    WriteFileBytes(At(L"Deep"), TextBytes("in the first level"));
    Write(Folder(), MakeEntry(L"Plugins", L"a.dll", TextBytes("a")));
    Write(Folder(), MakeEntry(L"Modules\\Tools", L"t.dll", TextBytes("t")));
    Write(Folder(), MakeEntry(L"Deep\\Er", L"d.dll", TextBytes("d")));
    EXPECT_EQ(ReadFileBytes(At(L"Plugins\\a.dll")), TextBytes("a"));
    EXPECT_EQ(ReadFileBytes(At(L"Modules\\Tools\\t.dll")), TextBytes("t"));
    EXPECT_EQ(ReadFileBytes(At(L"Deep\\Er\\d.dll")), TextBytes("d"));
}

// A longer file, read-only and hidden, or any file for empty content, ends as the entry's bytes.
TEST_F(WriterTest, ReplacesALongerReadOnlyFileWhollyAndLeavesAnEmptyOneForEmptyContent) {
    WriteFileBytes(At(L"a.txt"), SeededBytes(3, 5000));
    AddAttributes(At(L"a.txt"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    Write(Folder(), MakeEntry(L"", L"a.txt", TextBytes("short")));
    EXPECT_EQ(ReadFileBytes(At(L"a.txt")), TextBytes("short"));
    WriteFileBytes(At(L"empty.txt"), TextBytes("old"));
    Write(Folder(), MakeEntry(L"", L"empty.txt", {}));
    EXPECT_TRUE(IsFile(At(L"empty.txt")));
    EXPECT_EQ(ReadFileBytes(At(L"empty.txt")), Bytes{});
}

TEST_F(WriterTest, AcceptsForwardSlashesAndDoubledSeparatorsInFolder) {
    Write(Folder(), MakeEntry(L"a//b/", L"c.txt", TextBytes("c")));
    EXPECT_EQ(ReadFileBytes(At(L"a\\b\\c.txt")), TextBytes("c"));
}

TEST_F(WriterTest, ReportsPathsLeavingWorkingDirectoryAndWritesNothing) {
    MakeDirectories(At(L"work"));
    const std::wstring work = At(L"work");
    struct Case {
        const wchar_t* folder;
        const wchar_t* name;
    };
    const Case cases[] = {
        {L"..", L"outside.txt"},   {L"a\\..\\..", L"outside.txt"},    {L"", L"..\\outside.txt"},
        {L"", L"outside.txt:alt"}, {L"..\\work\\..", L"outside.txt"},
    };
    for (const Case& c : cases) {
        const auto entry = MakeEntry(c.folder, c.name, TextBytes("escaped"));
        ASSERT_EQ(entry->Decompress(), 0);
        EXPECT_TRUE(FailedPath(work, entry).has_value()) << c.folder << L" | " << c.name;
        EXPECT_FALSE(PathExists(At(L"outside.txt"))) << c.folder << L" | " << c.name;
    }
    const std::wstring absolute = At(L"absolute.txt");
    const auto entry = MakeEntry(L"", absolute, TextBytes("escaped"));
    ASSERT_EQ(entry->Decompress(), 0);
    EXPECT_TRUE(FailedPath(work, entry).has_value());
    EXPECT_FALSE(PathExists(absolute));
    EXPECT_TRUE(ListTree(work).items.empty());
}

}  // namespace
