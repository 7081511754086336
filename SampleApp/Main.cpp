// The sample main application. It owns the application mutex, shows a plain window naming the
// folder it runs from, publishes that window and its activation message in the activation
// mapping, and comes forward when the message arrives. Handles live as long as the process.
//
// Log lines (see SampleLog.h), in this order:
//   command-line: <as GetCommandLineW returns it>
//   exe: <full path of this program>
//   current-directory: <current directory at start>
//   ready: window=<handle> message=<number>     once the mapping holds both
//   activated: wParam=<n> lParam=<n>            for each activation message
//   exit
// and "already-running" (exit code 1) when the application mutex exists already.
// NIMBREL_SAMPLE_EXIT_AFTER_MS=<n> closes the window n milliseconds after the start.
#include <windows.h>

#include <cstdint>
#include <string>

#include "Launcher/base/SharedNames.h"
#include "SampleApp/SampleLog.h"

namespace {

constexpr wchar_t ActivationMessageName[] = L"Nimbrel.GUI.Activate";
constexpr wchar_t WindowClassName[] = L"NimbrelSampleWindow";
constexpr UINT_PTR ExitTimer = 1;

UINT activationMessage = 0;
std::wstring runFolder;

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring CurrentDirectory() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring path(size, L'\0');
    const DWORD length = GetCurrentDirectoryW(size, path.data());
    path.resize(length < size ? length : 0);
    return path;
}

// Returns the value of an environment variable made of decimal digits only, or -1.
long long EnvironmentNumber(const wchar_t* name) {
    wchar_t buffer[32];
    const DWORD length = GetEnvironmentVariableW(name, buffer, std::size(buffer));
    if (length == 0 || length > 12) {
        return -1;
    }
    long long value = 0;
    for (DWORD i = 0; i < length; ++i) {
        if (buffer[i] < L'0' || buffer[i] > L'9') {
            return -1;
        }
        value = value * 10 + (buffer[i] - L'0');
    }
    return value;
}

void WriteLittleEndian(unsigned char* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

// Publishes the window and the message number; returns false when the mapping cannot be made.
bool PublishActivationRecord(HWND window) {
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8,
                                        SharedName::ActivationMapping);
    if (mapping == nullptr) {
        return false;
    }
    auto* view = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 8));
    if (view == nullptr) {
        return false;
    }
    WriteLittleEndian(view, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window)));
    WriteLittleEndian(view + 4, activationMessage);
    return true;
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT area;
    GetClientRect(window, &area);
    const std::wstring text = L"Nimbrel sample application, running from\r\n" + runFolder;
    DrawTextW(dc, text.c_str(), -1, &area, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
    EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == activationMessage && activationMessage != 0) {
        AppendLogLine(L"activated: wParam=" + std::to_wstring(wParam) + L" lParam=" +
                      std::to_wstring(lParam));
        ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
        return 0;
    }
    switch (message) {
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_TIMER:
            if (wParam == ExitTimer) {
                DestroyWindow(window);
            }
            return 0;
        case WM_DESTROY:
            AppendLogLine(L"exit");
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    const std::wstring exe = ModulePath();
    AppendLogLine(std::wstring(L"command-line: ") + GetCommandLineW());
    AppendLogLine(L"exe: " + exe);
    AppendLogLine(L"current-directory: " + CurrentDirectory());

    CreateMutexW(nullptr, FALSE, SharedName::ApplicationMutex);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        AppendLogLine(L"already-running");
        return 1;
    }
    activationMessage = RegisterWindowMessageW(ActivationMessageName);
    const size_t slash = exe.find_last_of(L'\\');
    runFolder = slash == std::wstring::npos ? exe : exe.substr(0, slash);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = WindowClassName;
    if (RegisterClassExW(&windowClass) == 0) {
        AppendLogLine(L"window-failed");
        return 1;
    }
    const std::wstring title = L"Nimbrel sample - " + runFolder;
    HWND window =
        CreateWindowExW(0, WindowClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 520, 180, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        AppendLogLine(L"window-failed");
        return 1;
    }
    ShowWindow(window, show);
    UpdateWindow(window);

    if (PublishActivationRecord(window) && activationMessage != 0) {
        AppendLogLine(L"ready: window=" +
                      std::to_wstring(reinterpret_cast<std::uintptr_t>(window)) + L" message=" +
                      std::to_wstring(activationMessage));
    } else {
        AppendLogLine(L"mapping-failed");
    }
    const long long exitAfter = EnvironmentNumber(L"NIMBREL_SAMPLE_EXIT_AFTER_MS");
    if (exitAfter >= 0) {
        SetTimer(window, ExitTimer, static_cast<UINT>(exitAfter), nullptr);
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
