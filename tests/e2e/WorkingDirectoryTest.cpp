// The launcher's whole job against the prefix's real per-user folder: a first start extracts the
// payload, a warm start touches nothing, and a file held open by another program ends the start
// with the write-file-failed box (a damaged folder is repaired in DiffAgainstStartTest.cpp).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Launcher/base/SharedNames.h"
#include "Launcher/report/FatalText.h"
#include "tests/e2e/E2eSupport.h"
#include "tests/e2e/SampleReport.h"
#include "tests/support/HeldFile.h"

namespace fs = std::filesystem;

namespace {

using WorkingDirectory = LauncherTest;

// The cases every launcher with the demo payload must pass, whether the linker put the payload
// in ("full") or nimbrel-pack embed did, into the launcher built without one ("embedded").
class WorkingDirectoryOfLauncher : public LauncherTest,
                                   public ::testing::WithParamInterface<const wchar_t*> {};

INSTANTIATE_TEST_SUITE_P(Launchers, WorkingDirectoryOfLauncher,
                         ::testing::Values(L"full", L"embedded"),
                         [](const auto& launcher) { return fs::path(launcher.param).string(); });

TEST_P(WorkingDirectoryOfLauncher, FirstStartExtractsThePayloadAndStartsTheApplication) {
    const LaunchResult result = Start(GetParam());
    ASSERT_TRUE(result.finished);
    EXPECT_FALSE(result.boxShown) << fs::path(result.boxText).string();
    EXPECT_EQ(result.exitCode, 0);
    ExpectPayloadExtracted(UserWorkingDirectory());

    const SampleReport sample = ReadSampleReport(log);
    const std::wstring exe = UserWorkingDirectory() + L"\\" + SharedName::ApplicationExe;
    EXPECT_EQ(sample.commandLine, L"\"" + exe + L"\"");
    EXPECT_EQ(sample.currentDirectory, TestProgramDirectory());
    EXPECT_EQ(fs::path(sample.modulePath), fs::path(exe));
    EXPECT_LT(result.seconds, 5.0);
}

TEST_P(WorkingDirectoryOfLauncher, WarmStartRewritesNothing) {
    ASSERT_EQ(Start(GetParam()).exitCode, 0);
    const auto before = SnapshotFolder(UserWorkingDirectory());
    Sleep(1100);  // file times on the host have at least this resolution
    const LaunchResult result = Start(GetParam());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_FALSE(result.boxShown);
    EXPECT_EQ(SnapshotFolder(UserWorkingDirectory()), before);
}

TEST_F(WorkingDirectory, FileHeldOpenByAnotherProgramEndsWithTheWriteFileFailedBox) {
    ASSERT_EQ(Start().exitCode, 0);
    const fs::path locked =
        fs::path(UserWorkingDirectory()) / L"plugins" / L"Traffic" / L"Traffic.dll";
    WriteFileText(locked, "changed and locked");
    HeldFile holder(locked.wstring(), true);
    ASSERT_TRUE(holder.Held());
    const LaunchResult result = RunLauncher(CaseLauncher(L"full"), options);
    holder.Release();
    ExpectFailureBox(result, FillTemplate(WriteFileFailedText, {locked.wstring()}));
}

TEST_F(WorkingDirectory, UnusablePerUserFolderFallsBackToTheLaunchersOwnFolder) {
    // A launcher in a folder whose name has a space, so the start must quote the path.
    const fs::path spaced = fs::path(TestProgramDirectory()) / L"with space";
    RemoveTestFolder(spaced.wstring());
    fs::create_directories(spaced);
    fs::copy_file(CaseLauncher(L"full"), spaced / L"Nimbrel.Launcher.exe");
    // A file where the per-user folder should be: the probe removes it and rejects the folder
    // for this start.
    WriteFileText(UserWorkingDirectory(), "not a folder");

    const LaunchResult result = RunLauncher((spaced / L"Nimbrel.Launcher.exe").wstring(), options);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_FALSE(result.boxShown);
    WaitForSampleExit(log, 10000);
    ExpectPayloadExtracted(spaced / SharedName::WorkingFolder);
    const SampleReport sample = ReadSampleReport(log);
    EXPECT_EQ(sample.commandLine,
              L"\"" + (spaced / SharedName::WorkingFolder / SharedName::ApplicationExe).wstring() +
                  L"\"");
    EXPECT_EQ(sample.arguments, 1);
    EXPECT_FALSE(fs::exists(UserWorkingDirectory()));
    RemoveTestFolder(spaced.wstring());
}

}  // namespace
