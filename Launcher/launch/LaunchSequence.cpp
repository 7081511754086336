// The launch, step by step in its fixed order: guard, watchdog, working directory, resources and
// their checks, records, synchronisation, start. Every failure goes to the fatal reporter, which
// does not return; only the guard's two outcomes and the successful end return an exit code.
#include "launch/LaunchSequence.h"

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "launch/ExitCodes.h"
#include "launch/FatalError.h"
#include "launch/FatalText.h"
#include "launch/Guard.h"
#include "launch/LaunchState.h"
#include "launch/StartApplication.h"
#include "launch/Watchdog.h"
#include "payload/PayloadResources.h"
#include "payload/PayloadVerify.h"
#include "payload/PendingEntries.h"
#include "workdir/CandidateDirectories.h"
#include "workdir/PathRules.h"
#include "workdir/SelectWorkingDirectory.h"
#include "workdir/Synchronise.h"

namespace {

// The folder holding the launcher's own executable, the last place the working folder may go.
std::wstring LauncherDirectory() {
    wchar_t modulePath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, modulePath, MAX_PATH);
    return std::filesystem::path(modulePath).parent_path().wstring();
}

}  // namespace

int RunLaunch(void* module) {
    if (const std::optional<int> handedOver = GuardSingleInstance()) {
        return *handedOver;
    }

    try {
        StartWatchdog();
    } catch (const std::system_error&) {
        // Without a watchdog the launch would be unbounded; end before touching anything.
        LaunchInProgress.store(false);
        ReleaseMutex(LauncherMutex);
        return ExitCode::WatchdogExpired;
    }

    std::vector<std::wstring> candidates = CollectCandidateDirectories();
    candidates.push_back(LauncherDirectory());
    const std::wstring workingDirectory = SelectWorkingDirectory(candidates);
    if (workingDirectory.empty()) {
        ReportFatalError(WorkingDirectoryInaccessibleText);
    }

    PayloadViews views;
    if (const std::int32_t loaded = LoadPayloadResources(module, views); loaded != 0) {
        ReportFatalError(ResourcesCorruptText, LaunchStage::LoadResources, loaded, 0);
    }

    PendingEntries pending;
    if (const std::optional<StageError> corrupt = VerifyAndParsePayload(views, pending)) {
        ReportStageError(*corrupt);
    }

    SynchroniseWorkingDirectory(workingDirectory, pending);

    StartMainApplication(JoinPath(workingDirectory, L"Nimbrel.exe"));

    ReleaseMutex(LauncherMutex);
    LaunchInProgress.exchange(false);
    return ExitCode::Started;
}
