// The choice of the working directory against real folders: the first candidate that passes,
// and what a rejected folder keeps (an existing extraction kept: the e2e warm start).
#include "Launcher/workdir/SelectWorkingDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "Launcher/workdir/FileSystem.h"
#include "tests/workdir/support/WorkdirTestSupport.h"

namespace {

using SelectTest = TempFolderTest;

TEST_F(SelectTest, CreatesFolderUnderFirstCandidateThatPasses) {
    MakeDirectories(At(L"second"));
    const std::wstring chosen =
        SelectWorkingDirectory({At(L"no\\such\\base"), At(L"second"), At(L"third")});
    EXPECT_EQ(chosen, At(L"second\\Nimbrel"));
    EXPECT_TRUE(std::filesystem::is_directory(chosen));
    EXPECT_FALSE(PathExists(At(L"no")));
    EXPECT_FALSE(PathExists(At(L"third")));
}

TEST_F(SelectTest, JoinsWithoutDoublingTrailingSeparator) {
    EXPECT_EQ(SelectWorkingDirectory({Folder() + L"\\"}), Folder() + L"\\Nimbrel");
}

TEST_F(SelectTest, LeavesRejectedFolderUntouchedAndTriesNext) {
    MakeDirectories(At(L"first\\Nimbrel"));
    MakeDirectories(At(L"second"));
    WriteFileBytes(At(L"first\\Nimbrel\\Config.ini"), TextBytes("[user]"));
    WriteFileBytes(At(L"first\\Nimbrel\\test-access-1.file"), TextBytes("x"));
    HeldFile held(At(L"first\\Nimbrel\\test-access-1.file"));
    ASSERT_TRUE(held.Held());
    const std::wstring chosen = SelectWorkingDirectory({At(L"first"), At(L"second")});
    held.Release();
    EXPECT_EQ(chosen, At(L"second\\Nimbrel"));
    EXPECT_EQ(ReadFileBytes(At(L"first\\Nimbrel\\Config.ini")), TextBytes("[user]"));
}

TEST_F(SelectTest, TriesRepeatedCandidateAgain) {
    WriteFileBytes(At(L"Nimbrel"), TextBytes("in the way"));
    EXPECT_EQ(SelectWorkingDirectory({Folder(), Folder()}), At(L"Nimbrel"));
    EXPECT_TRUE(std::filesystem::is_directory(At(L"Nimbrel")));
}

TEST_F(SelectTest, GivesEmptyPathWhenNoCandidatePasses) {
    EXPECT_EQ(SelectWorkingDirectory({At(L"a\\b"), At(L"c\\d")}), L"");
    EXPECT_EQ(SelectWorkingDirectory({}), L"");
}

}  // namespace
