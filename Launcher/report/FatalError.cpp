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

namespace {

[[noreturn]] void ShowAndExit(const std::wstring& message) {
    const std::wstring title(FatalBoxTitle);
    MessageBoxW(nullptr, message.c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
    EndLaunch(LaunchEnd::Stopped);
    std::exit(ExitCode::FatalReported);
}

}  // namespace

void ReportFatalError(std::wstring_view text) {
    ErrorBoxShown.store(true);
    ShowAndExit(FillTemplate(text, {}));
}

void ReportFatalError(std::wstring_view text, std::wstring_view path) {
    ErrorBoxShown.store(true);
    ShowAndExit(FillTemplate(text, {path}));
}

void ReportStageError(const StageError& error) {
    ErrorBoxShown.store(true);
    ShowAndExit(ResourcesCorruptMessage(error));
}

void ReportLaunchFailure(const LaunchFailure& failure) {
    if (failure.code) {
        ReportStageError(*failure.code);
    }
    ReportFatalError(failure.text, failure.path);
}
