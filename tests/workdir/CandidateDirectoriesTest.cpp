// Candidate order and equality. GetEnvironmentVariableW reads this process's environment, so
// setting LOCALAPPDATA here changes the first source; the shell sources answer from the profile.
#include "Launcher/workdir/CandidateDirectories.h"

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "Launcher/base/PathRules.h"

namespace {

std::wstring ShellLocalAppData() {
    PWSTR path = nullptr;
    std::wstring copy;
    if (SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path) == S_OK && path) {
        copy = path;
    }
    CoTaskMemFree(path);
    return copy;
}

std::wstring WithForwardSlashes(std::wstring path) {
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return path;
}

// Sets LOCALAPPDATA for one test and puts the earlier value back afterwards.
class CandidateDirectoriesTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t buffer[2048] = {};
        if (GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, 2048) != 0) {
            saved_ = buffer;
        }
        shell_ = ShellLocalAppData();
        ASSERT_FALSE(shell_.empty());
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"LOCALAPPDATA", saved_ ? saved_->c_str() : nullptr);
    }
    void SetLocalAppData(const wchar_t* value) { SetEnvironmentVariableW(L"LOCALAPPDATA", value); }

    std::optional<std::wstring> saved_;
    std::wstring shell_;
};

TEST_F(CandidateDirectoriesTest, GivesOneCandidateWhenAllSourcesAgree) {
    SetLocalAppData(shell_.c_str());
    const std::vector<std::wstring> candidates = CollectCandidateDirectories();
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0], shell_);
}

TEST_F(CandidateDirectoriesTest, CountsOtherSeparatorSpellingsOnce) {
    const std::wstring slashes = WithForwardSlashes(shell_);
    SetLocalAppData(slashes.c_str());
    std::vector<std::wstring> candidates = CollectCandidateDirectories();
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0], slashes);

    const std::wstring doubled = JoinPath(shell_, L"") + L"\\";
    SetLocalAppData(doubled.c_str());
    candidates = CollectCandidateDirectories();
    EXPECT_EQ(candidates.size(), 2u) << "a trailing separator makes a different path";
}

TEST_F(CandidateDirectoriesTest, CountsOtherLetterCaseTwice) {
    std::wstring lower = shell_;
    std::transform(lower.begin(), lower.end(), lower.begin(), towlower);
    ASSERT_NE(lower, shell_);
    SetLocalAppData(lower.c_str());
    const std::vector<std::wstring> candidates = CollectCandidateDirectories();
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_LT(ComparePaths(candidates[0], candidates[1]), 0);
}

TEST_F(CandidateDirectoriesTest, OrdersByPathNotBySource) {
    SetLocalAppData(L"A:\\Early\\Local");
    std::vector<std::wstring> candidates = CollectCandidateDirectories();
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0], L"A:\\Early\\Local");
    EXPECT_EQ(candidates[1], shell_);

    SetLocalAppData(L"Z:\\Late\\Local");
    candidates = CollectCandidateDirectories();
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0], shell_);
    EXPECT_EQ(candidates[1], L"Z:\\Late\\Local");
}

TEST_F(CandidateDirectoriesTest, FallsBackToShellSourcesWhenVariableUnsetOrEmpty) {
    SetLocalAppData(nullptr);
    std::vector<std::wstring> candidates = CollectCandidateDirectories();
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0], shell_);

    SetLocalAppData(L"");
    candidates = CollectCandidateDirectories();
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0], shell_);
}

}  // namespace
