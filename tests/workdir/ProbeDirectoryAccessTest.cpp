// The access probe against real folders: leftovers of earlier probes and items that only look
// like them (a held leftover and a file in the way: SelectWorkingDirectoryTest.cpp).
#include "Launcher/workdir/ProbeDirectoryAccess.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "Launcher/workdir/FileSystem.h"
#include "tests/workdir/support/WorkdirTestSupport.h"

namespace {

using ProbeTest = TempFolderTest;

std::vector<std::wstring> Names(const std::wstring& folder) {
    std::vector<ListedItem> items;
    ListDirectory(folder, L"", items);
    std::vector<std::wstring> names;
    for (const ListedItem& item : items) {
        names.push_back(item.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ProbeTest, PassesOnEmptyFolderAndLeavesNothingBehind) {
    EXPECT_TRUE(ProbeDirectoryAccess(Folder()));
    EXPECT_TRUE(Names(Folder()).empty());
}

// Earlier content, and items named like probe items in another kind, case or extension.
TEST_F(ProbeTest, LeavesEarlierContentAndItemsThatOnlyLookLikeProbeItemsUntouched) {
    MakeDirectories(At(L"Plugins"));
    WriteFileBytes(At(L"Plugins\\a.dll"), TextBytes("module"));
    WriteFileBytes(At(L"Config.ini"), TextBytes("[user]"));
    MakeDirectories(At(L"test-access-1.file"));
    WriteFileBytes(At(L"test-access-2.folder"), TextBytes("x"));
    WriteFileBytes(At(L"Test-access-3.file"), TextBytes("x"));
    WriteFileBytes(At(L"test-access-4.FILE"), TextBytes("x"));
    WriteFileBytes(At(L"test-access-5.file.bak"), TextBytes("x"));
    const std::uint64_t written = LastWriteTime(At(L"Config.ini"));
    const std::vector<std::wstring> before = Names(Folder());
    ASSERT_EQ(before.size(), 7u);
    EXPECT_TRUE(ProbeDirectoryAccess(Folder()));
    EXPECT_EQ(Names(Folder()), before);
    EXPECT_EQ(ReadFileBytes(At(L"Plugins\\a.dll")), TextBytes("module"));
    EXPECT_EQ(LastWriteTime(At(L"Config.ini")), written);
}

TEST_F(ProbeTest, DeletesLeftoverProbeItemsEvenReadOnly) {
    WriteFileBytes(At(L"test-access-12345.file"), TextBytes("NimbrelTest"));
    WriteFileBytes(At(L"test-access-4294967295.file"), TextBytes("x"));
    AddAttributes(At(L"test-access-4294967295.file"), FILE_ATTRIBUTE_READONLY);
    MakeDirectories(At(L"test-access-7.folder\\inside"));
    WriteFileBytes(At(L"test-access-7.folder\\inside\\r.txt"), TextBytes("x"));
    AddAttributes(At(L"test-access-7.folder\\inside\\r.txt"), FILE_ATTRIBUTE_READONLY);
    MakeDirectories(At(L"test-access-8.folder"));
    EXPECT_TRUE(ProbeDirectoryAccess(Folder()));
    EXPECT_TRUE(Names(Folder()).empty());
}

TEST_F(ProbeTest, FailsOnMissingFolder) {
    EXPECT_FALSE(ProbeDirectoryAccess(At(L"missing")));
}

}  // namespace
