// One launcher at a time: a second launcher ends at once with -1000 and shows nothing (the
// launcher started while the main application runs is in FaultTest.cpp).
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/e2e/E2eSupport.h"

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

}  // namespace
