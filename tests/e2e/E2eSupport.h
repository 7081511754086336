// Paths and folders shared by the end-to-end cases: where the test launchers are, where the
// prefix's per-user folder is, and a way to empty it between cases.
#pragma once

#include <string>

// The folder holding this test program; the test launchers sit in sub-folders named by case.
std::wstring TestProgramDirectory();

// The launcher built for a case: TestProgramDirectory()\case\Nimbrel.Launcher.exe.
std::wstring CaseLauncher(const std::wstring& caseName);

// The local application-data folder the launcher's shell sources report.
std::wstring LocalAppData();

// LocalAppData()\Nimbrel.
std::wstring UserWorkingDirectory();

// Removes a file or a folder tree, read-only items included; absent is fine.
void RemoveTree(const std::wstring& path);
