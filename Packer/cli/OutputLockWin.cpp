// Output lock on Windows: a named mutex per output folder, named for the folder's volume serial
// number and file index, so that every spelling of the folder gives the same name. Windows
// directories cannot be locked with LockFileEx, and a mutex a dead run held is handed on
// (WAIT_ABANDONED) rather than kept.
#include <windows.h>

#include <cstdio>

#include "Launcher/base/Utf16.h"
#include "Packer/cli/OutputLock.h"

namespace {

// Gives the mutex name of folder, or an empty name when the folder cannot be opened.
std::wstring MutexNameOf(const std::filesystem::path& folder) {
    const HANDLE handle =
        CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return {};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!known) {
        return {};
    }
    wchar_t name[96];
    std::swprintf(name, sizeof name / sizeof name[0],
                  L"Local\\nimbrel-pack-output-%08lX-%08lX%08lX", info.dwVolumeSerialNumber,
                  info.nFileIndexHigh, info.nFileIndexLow);
    return name;
}

}  // namespace

OutputLock::~OutputLock() {
    for (const std::intptr_t value : held) {
        const auto mutex = reinterpret_cast<HANDLE>(value);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
}

bool LockOutputFolders(const std::vector<std::filesystem::path>& targets, OutputLock& lock,
                       std::string& error) {
    for (const auto& target : targets) {
        const std::filesystem::path folder =
            target.has_parent_path() ? target.parent_path() : std::filesystem::path(L".");
        const std::wstring name = MutexNameOf(folder);
        const HANDLE mutex = name.empty() ? nullptr : CreateMutexW(nullptr, FALSE, name.c_str());
        if (mutex == nullptr) {
            error = PathToUtf8(folder) + ": the folder cannot be locked";
            return false;
        }
        // A mutex is its owner's again when the same thread waits twice: one folder twice is fine.
        const DWORD waited = WaitForSingleObject(mutex, INFINITE);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
            CloseHandle(mutex);
            error = PathToUtf8(folder) + ": the folder cannot be locked";
            return false;
        }
        lock.held.push_back(reinterpret_cast<std::intptr_t>(mutex));
    }
    return true;
}
