// Paths, folders and the fixture shared by the end-to-end cases: where the test launchers are,
// where the prefix's per-user folder is, whether a folder holds the payload, how a failed start
// must end. Files, folder snapshots and removal come from tests/support.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/e2e/LauncherProcess.h"
#include "tests/support/FileBytes.h"
#include "tests/support/FolderSnapshot.h"
#include "tests/support/TestFileSystem.h"

// The folder holding this test program; the test launchers sit in sub-folders named by case.
std::wstring TestProgramDirectory();

// The launcher built for a case: TestProgramDirectory()\case\Nimbrel.Launcher.exe.
std::wstring CaseLauncher(const std::wstring& caseName);

// The local application-data folder the launcher's shell sources report.
std::wstring LocalAppData();

// LocalAppData()\Nimbrel.
std::wstring UserWorkingDirectory();

// Ends every process whose program lies below folder and waits for it. Under Wine, an
// application whose launcher was killed while starting it can hang in its start for good; it
// keeps its program file open, so that the folder could not be emptied for the next cases.
// Returns how many it ended.
int EndProgramsBelow(const std::wstring& folder);

// The folder the full launcher's payload was packed from: TestProgramDirectory()\full-payload.
std::wstring PayloadSource();

// Fails the test for every payload file that is missing or differs below folder; with exact,
// also for every file there that the payload does not hold, except any Config.ini.
void ExpectPayloadExtracted(const std::filesystem::path& folder, bool exact = false);

// Expects the launch to have ended with -100 after a box showing text.
void ExpectFailureBox(const LaunchResult& result, const std::wstring& text);

// A case whose per-user working folder is removed before and after it (after ending any
// application hung there). Its launches start the sample application with options: a log of its
// own, and an end by itself after 300 ms.
class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the case's launcher; when it ends with 0, expects the application it started to end.
    LaunchResult Start(const std::wstring& caseName = L"full");

    std::wstring log;
    LaunchOptions options;
};
