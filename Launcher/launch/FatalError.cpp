// The warning box that ends a failed launch. The order of the steps matters to the watchdog:
// ErrorBoxShown is set before anything else, so once a report has begun the watchdog never ends
// the process, however long the box stays open.
#include "launch/FatalError.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "launch/ExitCodes.h"
#include "launch/FatalText.h"
#include "launch/LaunchState.h"

namespace {

[[noreturn]] void ShowAndExit(const std::wstring& message) {
    const std::wstring title(FatalBoxTitle);
    MessageBoxW(nullptr, message.c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
    LaunchInProgress.store(false);
    ReleaseMutex(LauncherMutex);
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

void ReportFatalError(std::wstring_view text, std::int32_t stage, std::int32_t first,
                      std::int32_t second) {
    ErrorBoxShown.store(true);
    ShowAndExit(FillTemplate(text, {DecimalText(stage), DecimalText(first), DecimalText(second)}));
}

void ReportFatalError(std::wstring_view text, std::int32_t stage, std::uint32_t computed,
                      std::uint32_t stored) {
    ErrorBoxShown.store(true);
    ShowAndExit(
        FillTemplate(text, {DecimalText(stage), DecimalText(computed), DecimalText(stored)}));
}

void ReportStageError(const StageError& error) {
    if (IsChecksumStage(error.stage)) {
        ReportFatalError(ResourcesCorruptText, error.stage, error.first, error.second);
    }
    ReportFatalError(ResourcesCorruptText, error.stage, static_cast<std::int32_t>(error.first),
                     static_cast<std::int32_t>(error.second));
}
