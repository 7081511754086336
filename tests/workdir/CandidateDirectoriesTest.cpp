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

using Paths = std::vector<std::wstring>;

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

    // Gives the candidates with LOCALAPPDATA set to value, or unset for null.
    static Paths CandidatesWith(const wchar_t* value) {
        SetEnvironmentVariableW(L"LOCALAPPDATA", value);
        return CollectCandidateDirectories();
    }

    std::optional<std::wstring> saved_;
    std::wstring shell_;
};

TEST_F(CandidateDirectoriesTest, GivesTheShellSourceOnceWhenTheVariableAgreesOrIsUnsetOrEmpty) {
    EXPECT_EQ(CandidatesWith(shell_.c_str()), Paths{shell_});
    EXPECT_EQ(CandidatesWith(nullptr), Paths{shell_});
    EXPECT_EQ(CandidatesWith(L""), Paths{shell_});
}

TEST_F(CandidateDirectoriesTest, CountsOtherSeparatorSpellingsOnceAndOtherLetterCaseTwice) {
    const std::wstring slashes = WithForwardSlashes(shell_);
    EXPECT_EQ(CandidatesWith(slashes.c_str()), Paths{slashes});
    const std::wstring doubled = JoinPath(shell_, L"") + L"\\";
    EXPECT_EQ(CandidatesWith(doubled.c_str()).size(), 2u)
        << "a trailing separator makes a different path";
    std::wstring lower = shell_;
    std::transform(lower.begin(), lower.end(), lower.begin(), towlower);
    ASSERT_NE(lower, shell_);
    const Paths candidates = CandidatesWith(lower.c_str());
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_LT(ComparePaths(candidates[0], candidates[1]), 0);
}

TEST_F(CandidateDirectoriesTest, OrdersByPathNotBySource) {
    EXPECT_EQ(CandidatesWith(L"A:\\Early\\Local"), (Paths{L"A:\\Early\\Local", shell_}));
    EXPECT_EQ(CandidatesWith(L"Z:\\Late\\Local"), (Paths{shell_, L"Z:\\Late\\Local"}));
}

}  // namespace
