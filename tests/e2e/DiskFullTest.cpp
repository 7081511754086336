// A disk that fills during a first start ends the start with the write-file-failed box for the
// file that did not fit, -100, and no main application. The drive is a small tmpfs that
// disk-full.sh maps to a drive letter and names in NIMBREL_E2E_FULL_DRIVE; the launcher is given
// that drive as its local application-data folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "Launcher/base/SharedNames.h"
#include "Launcher/report/FatalText.h"
#include "tests/e2e/E2eSupport.h"
#include "tests/e2e/SampleReport.h"

namespace fs = std::filesystem;

namespace {

TEST(DiskFull, FirstStartOnAFullDiskReportsTheFileThatDidNotFit) {
    const wchar_t* drive = _wgetenv(L"NIMBREL_E2E_FULL_DRIVE");
    if (drive == nullptr) {
        GTEST_SKIP() << "needs the small drive that disk-full.sh provides";
    }
    const std::wstring folder = std::wstring(drive) + SharedName::WorkingFolder;
    RemoveTestFolder(folder);
    const std::wstring log = TestProgramDirectory() + L"\\sample-disk-full.log";
    DeleteFileW(log.c_str());
    LaunchOptions options;
    options.environment = {{L"LOCALAPPDATA", drive}, {L"NIMBREL_SAMPLE_LOG", log}};

    const LaunchResult result = RunLauncher(CaseLauncher(L"full"), options);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, -100);
    ASSERT_TRUE(result.boxShown);
    const std::wstring prefix = FillTemplate(WriteFileFailedText, {folder + L"\\"});
    const std::wstring start = prefix.substr(0, prefix.find(folder) + folder.size() + 1);
    ASSERT_EQ(result.boxText.substr(0, start.size()), start) << result.boxText;
    // The file the box names is short or missing: its bytes did not all reach the disk.
    const std::size_t pathStart = result.boxText.find(folder);
    const std::wstring path =
        result.boxText.substr(pathStart, result.boxText.find(L'\'', pathStart) - pathStart);
    const fs::path source =
        fs::path(TestProgramDirectory()) / L"full-payload" / path.substr(folder.size() + 1);
    ASSERT_TRUE(fs::exists(source)) << path;
    std::error_code error;
    const auto written = fs::exists(path) ? fs::file_size(path, error) : 0;
    EXPECT_LT(written, fs::file_size(source)) << path;
    EXPECT_FALSE(fs::exists(log)) << "the main application was started";
    RemoveTestFolder(folder);
}

}  // namespace
