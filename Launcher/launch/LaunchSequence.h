// The whole launch, from the single-instance guard to the start of the main application. Runs
// once, on the launch thread; returns the process exit code or ends the process itself through a
// fatal report or the watchdog.
#pragma once

// Runs the launch for the module whose resources hold the payload (an HINSTANCE).
int RunLaunch(void* module);
