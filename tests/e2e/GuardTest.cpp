// One launcher at a time, and none while the main application runs: a second launcher ends at
// once with -1000 and shows nothing; with the application running the launcher asks it to come
// forward with one posted message, ends with -2000 and leaves the working folder alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/e2e/E2eSupport.h"
#include "tests/e2e/SampleReport.h"

namespace {

using Guard = LauncherTest;

TEST_F(Guard, SecondLauncherWhileABoxIsOpenEndsAtOnceWithMinus1000) {
    HANDLE first = StartProcess(CaseLauncher(L"no-payload"));
    ASSERT_NE(first, nullptr);
    HWND box = WaitForBox(GetProcessId(first), 20000);
    ASSERT_NE(box, nullptr);

    const LaunchResult second = RunLauncher(CaseLauncher(L"no-payload"));
    EXPECT_TRUE(second.finished);
    EXPECT_EQ(second.exitCode, -1000);
    EXPECT_FALSE(second.boxShown);
    // The first box is still there and still ends its launcher with -100.
    EXPECT_TRUE(IsWindow(box));
    PressOk(box);
    ASSERT_EQ(WaitForSingleObject(first, 20000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(first, &code);
    EXPECT_EQ(static_cast<long>(code), -100);
    CloseHandle(first);
}

TEST_F(Guard, RunningApplicationIsAskedToComeForwardAndTheFolderIsLeftAlone) {
    options.environment[1].second = L"4000";
    HANDLE application =
        StartProcess(TestProgramDirectory() + L"\\full-payload\\Nimbrel.exe", options);
    ASSERT_NE(application, nullptr);
    ASSERT_TRUE(WaitForSampleReady(log, 15000));

    const LaunchResult result = RunLauncher(CaseLauncher(L"full"));
    EXPECT_EQ(result.exitCode, -2000);
    EXPECT_FALSE(result.boxShown);
    EXPECT_FALSE(std::filesystem::exists(UserWorkingDirectory()));

    ASSERT_TRUE(WaitForSampleExit(log, 15000));
    const SampleReport report = ReadSampleReport(log);
    EXPECT_EQ(report.activations, 1);
    EXPECT_EQ(report.otherActivations, 0);
    WaitForSingleObject(application, 5000);
    CloseHandle(application);
}

}  // namespace
