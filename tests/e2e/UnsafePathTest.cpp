// A payload with a record whose path Windows would resolve to something else (the folder itself,
// a Config.ini, the folder holding the file, a device), or that would need the place of the user's
// Config.ini or of another record's folder, is refused whole before the working folder
// is touched: one write-file-failed box naming that path, -100, and not one item changed, strays
// and a folder beside it included.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Launcher/report/FatalText.h"
#include "tests/e2e/E2eSupport.h"

namespace fs = std::filesystem;

namespace {

struct UnsafeCase {
    const wchar_t* caseName;
    std::wstring shownPath;  // below the working folder, as the launcher joins it
};

class UnsafePath : public LauncherTest, public ::testing::WithParamInterface<UnsafeCase> {
protected:
    void SetUp() override {
        LauncherTest::SetUp();
        RemoveTestFolder(beside_);
    }
    void TearDown() override {
        LauncherTest::TearDown();
        RemoveTestFolder(beside_);
    }
    const std::wstring beside_ = LocalAppData() + L"\\Nimbrel.Beside";
};

TEST_P(UnsafePath, IsRefusedBeforeAnythingInTheFolderChanges) {
    const fs::path folder = UserWorkingDirectory();
    WriteFileText(folder / L"Config.ini", "[user]\r\nvolume=7\r\n");
    WriteFileText(folder / L"Plugins" / L"Config.ini", "[plugin]\r\n");
    WriteFileText(folder / L"Plugins" / L"keep.dll", "plugin");
    WriteFileText(folder / L"stray.txt", "a start that synchronised would delete this");
    WriteFileText(folder / L"readme.txt", "a start that synchronised would rewrite this");
    WriteFileText(fs::path(beside_) / L"sentinel.txt", "beside the working folder");
    const auto before = SnapshotFolder(folder);
    const auto besideBefore = SnapshotFolder(beside_);

    // A NUL in the path ends the path the box shows.
    const std::wstring path = UserWorkingDirectory() + GetParam().shownPath;
    ExpectFailureBox(RunLauncher(CaseLauncher(GetParam().caseName)),
                     FillTemplate(WriteFileFailedText, {path.substr(0, path.find(L'\0'))}));
    EXPECT_EQ(SnapshotFolder(folder), before);
    EXPECT_EQ(SnapshotFolder(beside_), besideBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Records, UnsafePath,
    ::testing::Values(UnsafeCase{L"dot-name", L"\\."},
                      UnsafeCase{L"config-trailing-dot", L"\\Config.ini."},
                      UnsafeCase{L"nul-name", L"\\Plugins\\" + std::wstring(1, L'\0')},
                      UnsafeCase{L"superscript-device-folder", L"\\lpt\u00B3.d\\x.dll"},
                      UnsafeCase{L"settings-folder", L"\\CONFIG.INI\\x.txt"},
                      UnsafeCase{L"file-at-folder", L"\\sub"},
                      UnsafeCase{L"device-zero", L"\\Com0.log"}),
    [](const auto& test) {
        std::string name;
        for (const wchar_t* c = test.param.caseName; *c != 0; ++c) {
            name.push_back(*c == L'-' ? '_' : static_cast<char>(*c));
        }
        return name;
    });

}  // namespace
