// The main application of the bench payload: a GUI program that ends at once, so that a timed
// start measures the launcher and not what it starts.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return 0;
}
