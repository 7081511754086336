// The single-instance guard. The handles opened here are never closed: the process ends soon
// after, and the launcher mutex must stay alive for the whole process so that every launcher
// started meanwhile ends at once.
#include "Launcher/launch/Guard.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

#include "Launcher/base/SharedNames.h"
#include "Launcher/report/ExitCodes.h"
#include "Launcher/report/LaunchState.h"

namespace {

// Posts the activation message the running main application asked for, if its record allows.
void ActivateRunningApplication() {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, SharedName::ActivationMapping);
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
    LauncherMutex = CreateMutexW(nullptr, TRUE, SharedName::LauncherMutex);
    if (LauncherMutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        return ExitCode::LauncherRunning;
    }
    if (OpenMutexW(SYNCHRONIZE, FALSE, SharedName::ApplicationMutex) == nullptr) {
        return std::nullopt;
    }
    ActivateRunningApplication();
    return ExitCode::ApplicationRunning;
}
