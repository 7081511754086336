// The start of the main application. The executable is passed as the application name as well as
// quoted on the command line: with a bare, unquoted path Windows would try each space-separated
// prefix of it as a program, and the application would see its own path split into arguments.
#include "Launcher/launch/StartApplication.h"

#include <windows.h>

#include <vector>

#include "Launcher/report/FatalText.h"

std::optional<LaunchFailure> StartMainApplication(const std::wstring& exe) {
    // CreateProcessW may write into its command line, so it gets a buffer of its own.
    const std::wstring quoted = L"\"" + exe + L"\"";
    std::vector<wchar_t> commandLine(quoted.begin(), quoted.end());
    commandLine.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    if (!started) {
        return PathFailure(StartApplicationFailedText, exe);
    }
    return std::nullopt;
}
