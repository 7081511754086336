// Paths and folders shared by the end-to-end cases: where the test launchers are, where the
// prefix's per-user folder is, and a way to empty it between cases.
#pragma once

#include <filesystem>
#include <map>
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

// Ends every process whose program lies below folder and waits for it. Under Wine, an
// application whose launcher was killed while starting it can hang in its start for good; it
// keeps its program file open, so that the folder could not be emptied for the next cases.
// Returns how many it ended.
int EndProgramsBelow(const std::wstring& folder);

// The bytes of a file; empty when it cannot be read.
std::string ReadAll(const std::filesystem::path& path);

// Writes bytes as the whole file, creating its folders.
void WriteAll(const std::filesystem::path& path, const std::string& bytes);

// Every item below root by relative path: a file's bytes, or "<folder>" for a folder. Two
// snapshots are equal when nothing below root was added, removed or changed.
std::map<std::wstring, std::string> FolderSnapshot(const std::filesystem::path& root);

// The folder the full launcher's payload was packed from: TestProgramDirectory()\full-payload.
std::wstring PayloadSource();

// Fails the test for every payload file that is missing or differs below folder; with exact,
// also for every file there that the payload does not hold, except any Config.ini.
void ExpectPayloadExtracted(const std::filesystem::path& folder, bool exact = false);
