// The floor of a launcher start: a GUI program linked with the launcher's code, so that it has
// the same imports, that only starts the program named on its command line and ends. It carries
// no payload. Run without an argument it makes a whole launch, which keeps the launch code and
// its imports in the image; the bench always passes the program.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "Launcher/launch/LaunchSequence.h"
#include "Launcher/launch/StartApplication.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count < 2) {
        return RunLaunch(instance);
    }
    const std::wstring child = arguments[1];
    LocalFree(arguments);
    return StartMainApplication(child) ? 1 : 0;
}
