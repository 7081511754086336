// The launch state's one Win32 call.
#include <windows.h>

#include "Launcher/report/LaunchState.h"

void ReleaseLauncherMutex() {
    ReleaseMutex(LauncherMutex);
}
