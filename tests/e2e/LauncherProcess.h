// Runs a real launcher exe as a child process and deals with its warning box the way a user
// would: waits for the box, reads its text, presses OK, and collects the exit code.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

struct LaunchResult {
    bool finished = false;  // the process ended within the time allowed
    long exitCode = 0;      // signed, as the launcher returned it
    bool boxShown = false;  // a "Nimbrel Hub" box appeared
    std::wstring boxText;   // its message text
    double seconds = 0;     // from start to exit
};

struct LaunchOptions {
    std::wstring currentDirectory;                                   // empty: the test's own
    std::vector<std::pair<std::wstring, std::wstring>> environment;  // added or replaced
    DWORD boxCloseDelayMs = 0;  // how long the box stays open before OK is pressed
    DWORD timeoutMs = 30000;
};

// Starts exe, answers its box if one appears and waits for it to end.
LaunchResult RunLauncher(const std::wstring& exe, const LaunchOptions& options = {});

// Starts exe and returns its process handle at once (the caller closes it).
HANDLE StartProcess(const std::wstring& exe, const LaunchOptions& options = {});

// Starts exe with its first thread suspended, so that several can be let go at the same moment;
// the caller resumes hThread and closes both handles. hProcess is null on failure.
PROCESS_INFORMATION StartSuspended(const std::wstring& exe, const LaunchOptions& options = {});

// Waits for a "Nimbrel Hub" box of the given process for at most timeoutMs; null if none came.
HWND WaitForBox(DWORD processId, DWORD timeoutMs);
void PressOk(HWND box);
