// A damaged launcher tells the user exactly what is wrong with one warning box and ends with
// -100 once the box is closed. Each case runs a launcher built with a payload damaged one way.
#include <gtest/gtest.h>

#include "E2eSupport.h"
#include "LauncherProcess.h"
#include "launch/FatalText.h"

namespace {

void ExpectCorruptBox(const std::wstring& caseName, const StageError& code) {
    const LaunchResult result = RunLauncher(CaseLauncher(caseName));
    ASSERT_TRUE(result.finished) << "the launcher did not end";
    EXPECT_TRUE(result.boxShown);
    EXPECT_EQ(result.boxText, ResourcesCorruptMessage(code));
    EXPECT_EQ(result.exitCode, -100);
}

TEST(CorruptPayload, MissingManifestShowsStageOne) {
    ExpectCorruptBox(L"no-payload", SignedStageError(1, 1, 0));
}

TEST(CorruptPayload, MissingBlobShowsStageOneWithTheBlobCode) {
    ExpectCorruptBox(L"no-blob", SignedStageError(1, 11, 0));
}

TEST(CorruptPayload, BoxLeftOpenPastTheWatchdogStillEndsWithMinus100) {
    LaunchOptions options;
    options.boxCloseDelayMs = 6500;
    const LaunchResult result = RunLauncher(CaseLauncher(L"no-payload"), options);
    ASSERT_TRUE(result.finished);
    EXPECT_TRUE(result.boxShown);
    EXPECT_EQ(result.exitCode, -100);
    EXPECT_GT(result.seconds, 6.0);
}

}  // namespace
