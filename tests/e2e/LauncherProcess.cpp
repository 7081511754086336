// Drives launcher processes for the end-to-end tests. The box is found by its title among the
// process's top-level windows; its text is the longest static control's text.
#include "tests/e2e/LauncherProcess.h"

#include <chrono>
#include <map>
#include <thread>

#include "Launcher/report/FatalText.h"

namespace {

struct BoxSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    if (owner == search->processId && std::wstring(title) == FatalBoxTitle &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK LongestStatic(HWND child, LPARAM param) {
    auto* text = reinterpret_cast<std::wstring*>(param);
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (_wcsicmp(className, L"Static") == 0) {
        const int length = GetWindowTextLengthW(child);
        std::wstring candidate(static_cast<size_t>(length) + 1, L'\0');
        GetWindowTextW(child, candidate.data(), length + 1);
        candidate.resize(static_cast<size_t>(length));
        if (candidate.size() > text->size()) {
            *text = candidate;
        }
    }
    return TRUE;
}

std::vector<wchar_t> EnvironmentBlock(const LaunchOptions& options) {
    std::map<std::wstring, std::wstring> variables;
    wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* at = current; *at != L'\0'; at += wcslen(at) + 1) {
        const std::wstring entry(at);
        const size_t equals = entry.find(L'=', 1);
        if (equals != std::wstring::npos) {
            variables[entry.substr(0, equals)] = entry.substr(equals + 1);
        }
    }
    FreeEnvironmentStringsW(current);
    for (const auto& [name, value] : options.environment) {
        variables[name] = value;
    }
    std::vector<wchar_t> block;
    for (const auto& [name, value] : variables) {
        const std::wstring entry = name + L"=" + value;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

std::wstring BoxText(HWND box) {
    std::wstring text;
    EnumChildWindows(box, LongestStatic, reinterpret_cast<LPARAM>(&text));
    return text;
}

HWND FindBoxOf(DWORD processId) {
    BoxSearch search{processId, nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

PROCESS_INFORMATION Start(const std::wstring& exe, const LaunchOptions& options, DWORD flags) {
    std::wstring commandLine = L"\"" + exe + L"\" --ignored-argument";
    std::vector<wchar_t> environment = EnvironmentBlock(options);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(
            exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
            CREATE_UNICODE_ENVIRONMENT | flags, environment.data(),
            options.currentDirectory.empty() ? nullptr : options.currentDirectory.c_str(), &startup,
            &process)) {
        return {};
    }
    return process;
}

}  // namespace

HANDLE StartProcess(const std::wstring& exe, const LaunchOptions& options) {
    const PROCESS_INFORMATION process = Start(exe, options, 0);
    if (process.hThread != nullptr) {
        CloseHandle(process.hThread);
    }
    return process.hProcess;
}

PROCESS_INFORMATION StartSuspended(const std::wstring& exe, const LaunchOptions& options) {
    return Start(exe, options, CREATE_SUSPENDED);
}

HWND WaitForBox(DWORD processId, DWORD timeoutMs) {
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    do {
        if (const HWND box = FindBoxOf(processId); box != nullptr) {
            return box;
        }
        Sleep(50);
    } while (GetTickCount64() < until);
    return nullptr;
}

void PressOk(HWND box) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

LaunchResult RunLauncher(const std::wstring& exe, const LaunchOptions& options) {
    LaunchResult result;
    const auto started = std::chrono::steady_clock::now();
    HANDLE process = StartProcess(exe, options);
    if (process == nullptr) {
        return result;
    }
    const DWORD processId = GetProcessId(process);
    const ULONGLONG until = GetTickCount64() + options.timeoutMs;
    while (WaitForSingleObject(process, 50) == WAIT_TIMEOUT && GetTickCount64() < until) {
        if (result.boxShown) {
            continue;
        }
        if (const HWND box = FindBoxOf(processId); box != nullptr) {
            result.boxShown = true;
            // The static control may be filled a moment after the window shows.
            for (int attempt = 0; attempt < 40 && result.boxText.empty(); ++attempt) {
                result.boxText = BoxText(box);
                Sleep(25);
            }
            Sleep(options.boxCloseDelayMs);
            PressOk(box);
        }
    }
    DWORD code = 0;
    result.finished = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    if (!result.finished) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
    }
    GetExitCodeProcess(process, &code);
    result.exitCode = static_cast<long>(code);
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    CloseHandle(process);
    return result;
}
