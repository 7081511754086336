// The single-instance guard. The handles opened here are never closed: the process ends soon
// after, and the launcher mutex must stay alive for the whole process so that every launcher
// started meanwhile ends at once.
#include "launch/Guard.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

#include "launch/ExitCodes.h"
#include "launch/LaunchState.h"

namespace {

constexpr wchar_t LauncherMutexName[] = L"{C4EDD596-1F8A-4C46-95AE-13EBB5DAAD57}";
constexpr wchar_t ApplicationMutexName[] = L"{CD8E6C81-9D08-4C79-AD1B-4B3FE937EDD5}";
constexpr wchar_t ActivationMappingName[] = L"Local\\Nimbrel.GUI.MainWindowHWND";

// Posts the activation message the running main application asked for, if its record allows.
void ActivateRunningApplication() {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, ActivationMappingName);
    if (mapping == nullptr) {
        return;
    }
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 8);
    if (view == nullptr) {
        return;
    }
    std::uint32_t record[2];
    std::memcpy(record, view, sizeof record);
    const std::uint32_t window = record[0];
    const std::uint32_t message = record[1];
    if (window != 0 && message != 0) {
        PostMessageW(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)), message, 0, 0);
    }
}

}  // namespace

std::optional<int> GuardSingleInstance() {
    SetLastError(0);
    LauncherMutex = CreateMutexW(nullptr, TRUE, LauncherMutexName);
    if (LauncherMutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        return ExitCode::LauncherRunning;
    }
    if (OpenMutexW(SYNCHRONIZE, FALSE, ApplicationMutexName) == nullptr) {
        return std::nullopt;
    }
    ActivateRunningApplication();
    return ExitCode::ApplicationRunning;
}
