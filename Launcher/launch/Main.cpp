// The launcher's entry. Only the module handle is used: it names the module whose resources hold
// the payload. The command line is ignored and never passed on.
#include <windows.h>

#include "launch/LaunchSequence.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return RunLaunch(instance);
}
