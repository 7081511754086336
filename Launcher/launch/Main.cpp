// The launcher's entry. Only the module handle is used: it names the module whose resources hold
// the payload. The command line is ignored and never passed on.
#include <windows.h>

#include "Launcher/launch/LaunchSequence.h"

namespace {

// A launcher run from a downloads folder must not load a DLL planted beside it. Its own imports
// are system DLLs, but those load others later (for the message box, say), so before anything
// else DLL loading is limited to the system folder and the current directory leaves the search.
// Windows 7 without its loader update lacks SetDefaultDllDirectories, hence the lookup.
void LimitDllSearchToSystemFolder() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    if (const HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
        const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
        if (setDefault != nullptr) {
            setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
        }
    }
    SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    LimitDllSearchToSystemFolder();
    return RunLaunch(instance);
}
