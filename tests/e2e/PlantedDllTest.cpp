// A launcher started from a folder that also holds planted copies of DLLs the system loads on
// demand (the message box's theme and composition libraries) loads none of them, even with Wine
// told to prefer such copies over its own as Windows does for DLLs outside its known list. Wine
// takes that preference from the Unix environment it starts with, not from an environment block,
// so the test program is started with WINEDLLOVERRIDES set (the e2e_planted_dll test).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/e2e/E2eSupport.h"

namespace fs = std::filesystem;

namespace {

TEST(PlantedDll, LauncherReachingItsBoxLoadsNoDllFromItsFolder) {
    if (_wgetenv(L"WINEDLLOVERRIDES") == nullptr) {
        GTEST_SKIP() << "needs WINEDLLOVERRIDES=uxtheme,dwmapi=n,b from the start";
    }
    const fs::path folder = fs::path(TestProgramDirectory()) / L"planted-run";
    RemoveTestFolder(folder.wstring());
    fs::create_directories(folder);
    fs::copy_file(CaseLauncher(L"no-payload"), folder / L"Nimbrel.Launcher.exe");
    for (const wchar_t* name : {L"uxtheme.dll", L"dwmapi.dll"}) {
        fs::copy_file(fs::path(TestProgramDirectory()) / L"planted.dll", folder / name);
    }
    LaunchOptions options;
    options.currentDirectory = folder.wstring();

    const LaunchResult result = RunLauncher((folder / L"Nimbrel.Launcher.exe").wstring(), options);
    ASSERT_TRUE(result.finished);
    EXPECT_TRUE(result.boxShown);
    EXPECT_EQ(result.exitCode, -100);
    EXPECT_FALSE(fs::exists(folder / L"uxtheme.loaded"));
    EXPECT_FALSE(fs::exists(folder / L"dwmapi.loaded"));
    RemoveTestFolder(folder.wstring());
}

}  // namespace
