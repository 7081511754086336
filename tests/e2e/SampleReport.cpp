// Parser of the sample application's log lines ("command-line: ...", "exe: ...",
// "current-directory: ...", "ready: ...", "activated: wParam=.. lParam=..", "exit").
#include "tests/e2e/SampleReport.h"

#include <windows.h>
#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <string_view>

#include "Launcher/base/SharedNames.h"
#include "Launcher/base/Utf16.h"

namespace {

bool TakePrefix(std::wstring_view line, std::wstring_view prefix, std::wstring& rest) {
    if (line.substr(0, prefix.size()) != prefix) {
        return false;
    }
    rest = std::wstring(line.substr(prefix.size()));
    return true;
}

bool WaitFor(const std::wstring& log, unsigned timeoutMs, bool SampleReport::*flag) {
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    do {
        if (ReadSampleReport(log).*flag) {
            return true;
        }
        Sleep(50);
    } while (GetTickCount64() < until);
    return false;
}

}  // namespace

SampleReport ReadSampleReport(const std::wstring& log) {
    SampleReport report;
    std::ifstream in(std::filesystem::path(log), std::ios::binary);
    std::string raw;
    while (std::getline(in, raw)) {
        if (!raw.empty() && raw.back() == '\r') {
            raw.pop_back();
        }
        const std::wstring line = Utf8ToUtf16(raw).value_or(L"");
        std::wstring rest;
        if (TakePrefix(line, L"command-line: ", report.commandLine)) {
            int count = 0;
            LocalFree(CommandLineToArgvW(report.commandLine.c_str(), &count));
            report.arguments = count;
        } else if (TakePrefix(line, L"exe: ", report.modulePath) ||
                   TakePrefix(line, L"current-directory: ", report.currentDirectory)) {
        } else if (TakePrefix(line, L"ready:", rest)) {
            report.ready = true;
        } else if (TakePrefix(line, L"activated: ", rest)) {
            if (rest == L"wParam=0 lParam=0") {
                ++report.activations;
            } else {
                ++report.otherActivations;
            }
        } else if (line == L"exit") {
            report.exited = true;
        }
    }
    return report;
}

bool WaitForSampleExit(const std::wstring& log, unsigned timeoutMs) {
    if (!WaitFor(log, timeoutMs, &SampleReport::exited)) {
        return false;
    }
    // The log's last line comes just before the process ends; the application mutex goes with it.
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < until) {
        HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, SharedName::ApplicationMutex);
        if (mutex == nullptr) {
            return true;
        }
        CloseHandle(mutex);
        Sleep(50);
    }
    return false;
}

bool WaitForSampleReady(const std::wstring& log, unsigned timeoutMs) {
    return WaitFor(log, timeoutMs, &SampleReport::ready);
}
