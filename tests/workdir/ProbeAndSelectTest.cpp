// The access probe and the choice of the working directory against real folders: leftovers of
// earlier probes, things standing in the way, and what a rejected folder keeps.
#include <windows.h>

#include <gtest/gtest.h>

#include "WorkdirTestSupport.h"
#include "workdir/FileSystem.h"
#include "workdir/ProbeDirectoryAccess.h"
#include "workdir/SelectWorkingDirectory.h"

namespace {

using ProbeTest = TempFolderTest;
using SelectTest = TempFolderTest;

std::vector<std::wstring> Names(const std::wstring& folder) {
    std::vector<ListedItem> items;
    ListDirectory(folder, items);
    std::vector<std::wstring> names;
    for (const ListedItem& item : items) {
        names.push_back(item.fullPath.substr(folder.size() + 1));
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ProbeTest, PassesOnEmptyFolderAndLeavesNothingBehind) {
    EXPECT_TRUE(ProbeDirectoryAccess(folder_));
    EXPECT_TRUE(Names(folder_).empty());
}

TEST_F(ProbeTest, LeavesEarlierContentUntouched) {
    MakeDirectories(At(L"Plugins"));
    WriteFileBytes(At(L"Plugins\\a.dll"), TextBytes("module"));
    WriteFileBytes(At(L"Config.ini"), TextBytes("[user]"));
    const std::uint64_t written = LastWriteTime(At(L"Config.ini"));
    EXPECT_TRUE(ProbeDirectoryAccess(folder_));
    EXPECT_EQ(Names(folder_), (std::vector<std::wstring>{L"Config.ini", L"Plugins"}));
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
    EXPECT_TRUE(ProbeDirectoryAccess(folder_));
    EXPECT_TRUE(Names(folder_).empty());
}

TEST_F(ProbeTest, LeavesItemsThatOnlyLookLikeProbeItems) {
    MakeDirectories(At(L"test-access-1.file"));
    WriteFileBytes(At(L"test-access-2.folder"), TextBytes("x"));
    WriteFileBytes(At(L"Test-access-3.file"), TextBytes("x"));
    WriteFileBytes(At(L"test-access-4.FILE"), TextBytes("x"));
    WriteFileBytes(At(L"test-access-5.file.bak"), TextBytes("x"));
    const std::vector<std::wstring> before = Names(folder_);
    EXPECT_TRUE(ProbeDirectoryAccess(folder_));
    EXPECT_EQ(Names(folder_), before);
}

TEST_F(ProbeTest, FailsWhenLeftoverIsHeldOpen) {
    WriteFileBytes(At(L"test-access-9.file"), TextBytes("x"));
    HANDLE held = CreateFileW(At(L"test-access-9.file").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ProbeDirectoryAccess(folder_));
    CloseHandle(held);
    EXPECT_TRUE(ProbeDirectoryAccess(folder_));
}

TEST_F(ProbeTest, RemovesFileStandingWhereFolderShouldBeAndFails) {
    WriteFileBytes(At(L"Nimbrel"), TextBytes("not a folder"));
    EXPECT_FALSE(ProbeDirectoryAccess(At(L"Nimbrel")));
    EXPECT_FALSE(PathExists(At(L"Nimbrel")));
}

TEST_F(ProbeTest, FailsOnMissingFolder) {
    EXPECT_FALSE(ProbeDirectoryAccess(At(L"missing")));
}

TEST_F(SelectTest, CreatesFolderUnderFirstCandidateThatPasses) {
    MakeDirectories(At(L"second"));
    const std::wstring chosen =
        SelectWorkingDirectory({At(L"no\\such\\base"), At(L"second"), At(L"third")});
    EXPECT_EQ(chosen, At(L"second\\Nimbrel"));
    EXPECT_TRUE(IsDirectory(chosen));
    EXPECT_FALSE(PathExists(At(L"no")));
    EXPECT_FALSE(PathExists(At(L"third")));
}

TEST_F(SelectTest, JoinsWithoutDoublingTrailingSeparator) {
    EXPECT_EQ(SelectWorkingDirectory({folder_ + L"\\"}), folder_ + L"\\Nimbrel");
}

TEST_F(SelectTest, KeepsExistingExtractionAsItIs) {
    MakeDirectories(At(L"Nimbrel\\Modules"));
    WriteFileBytes(At(L"Nimbrel\\Modules\\m.dll"), TextBytes("m"));
    EXPECT_EQ(SelectWorkingDirectory({folder_}), At(L"Nimbrel"));
    EXPECT_EQ(ReadFileBytes(At(L"Nimbrel\\Modules\\m.dll")), TextBytes("m"));
}

TEST_F(SelectTest, LeavesRejectedFolderUntouchedAndTriesNext) {
    MakeDirectories(At(L"first\\Nimbrel"));
    MakeDirectories(At(L"second"));
    WriteFileBytes(At(L"first\\Nimbrel\\Config.ini"), TextBytes("[user]"));
    WriteFileBytes(At(L"first\\Nimbrel\\test-access-1.file"), TextBytes("x"));
    HANDLE held = CreateFileW(At(L"first\\Nimbrel\\test-access-1.file").c_str(), GENERIC_READ, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::wstring chosen = SelectWorkingDirectory({At(L"first"), At(L"second")});
    CloseHandle(held);
    EXPECT_EQ(chosen, At(L"second\\Nimbrel"));
    EXPECT_EQ(ReadFileBytes(At(L"first\\Nimbrel\\Config.ini")), TextBytes("[user]"));
}

TEST_F(SelectTest, TriesRepeatedCandidateAgain) {
    WriteFileBytes(At(L"Nimbrel"), TextBytes("in the way"));
    EXPECT_EQ(SelectWorkingDirectory({folder_, folder_}), At(L"Nimbrel"));
    EXPECT_TRUE(IsDirectory(At(L"Nimbrel")));
}

TEST_F(SelectTest, GivesEmptyPathWhenNoCandidatePasses) {
    EXPECT_EQ(SelectWorkingDirectory({At(L"a\\b"), At(L"c\\d")}), L"");
    EXPECT_EQ(SelectWorkingDirectory({}), L"");
}

}  // namespace
