// The warning box that ends a failed launch. The order of the steps matters to the watchdog:
// ErrorBoxShown is set before anything else, so once a report has begun the watchdog never ends
// the process, however long the box stays open.
#include "Launcher/report/FatalError.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "Launcher/report/ExitCodes.h"
#include "Launcher/report/FatalText.h"
#include "Launcher/report/LaunchState.h"

void ReportLaunchFailure(const LaunchFailure& failure) {
    ErrorBoxShown.store(true);
    const std::wstring message = failure.code ? ResourcesCorruptMessage(*failure.code)
                                              : FillTemplate(failure.text, {failure.path});
    const std::wstring title(FatalBoxTitle);
    MessageBoxW(nullptr, message.c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
    EndLaunch(LaunchEnd::Stopped);
    std::exit(ExitCode::FatalReported);
}
