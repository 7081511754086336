// A Windows program that does nothing but carry the launcher's resources, so that the resource
// checks run on executables whose payload files the test chooses.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return 0;
}
