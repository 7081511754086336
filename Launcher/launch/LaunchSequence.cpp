// The launch, step by step in its fixed order: guard, watchdog, working directory, resources and
// their checks, records and the refusal of unsafe ones, synchronisation, start. Every failure goes
// to the fatal reporter, which does not return; only the guard's two outcomes and the successful
// end return an exit code.
#include "Launcher/launch/LaunchSequence.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Launcher/base/PathRules.h"
#include "Launcher/base/SharedNames.h"
#include "Launcher/launch/Guard.h"
#include "Launcher/launch/StartApplication.h"
#include "Launcher/launch/Watchdog.h"
#include "Launcher/payload/PayloadResources.h"
#include "Launcher/payload/PayloadVerify.h"
#include "Launcher/payload/PendingEntries.h"
#include "Launcher/report/ExitCodes.h"
#include "Launcher/report/FatalError.h"
#include "Launcher/report/FatalText.h"
#include "Launcher/report/LaunchState.h"
#include "Launcher/workdir/CandidateDirectories.h"
#include "Launcher/workdir/SelectWorkingDirectory.h"
#include "Launcher/workdir/Synchronise.h"

namespace {

// Gives the folder holding the launcher's own executable, the last place the working folder may
// go, or nothing when the module path cannot be read whole. The buffer grows until the path fits:
// a truncated path would name some other folder.
std::optional<std::wstring> LauncherDirectory() {
    std::vector<wchar_t> modulePath(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(modulePath.size());
        const DWORD length = GetModuleFileNameW(nullptr, modulePath.data(), size);
        if (length == 0) {
            return std::nullopt;
        }
        if (length < size) {
            return std::filesystem::path(std::wstring(modulePath.data(), length))
                .parent_path()
                .wstring();
        }
        // Paths are at most 32,767 characters; a buffer that large that still truncates fails.
        if (size >= 32768) {
            return std::nullopt;
        }
        modulePath.resize(std::min<std::size_t>(modulePath.size() * 2, 32768));
    }
}

}  // namespace

int RunLaunch(void* module) {
    if (const std::optional<int> handedOver = GuardSingleInstance()) {
        return *handedOver;
    }

    if (!StartWatchdog()) {
        // Without a watchdog the launch would be unbounded; it has ended before touching anything.
        return ExitCode::WatchdogExpired;
    }

    std::vector<std::wstring> candidates = CollectCandidateDirectories();
    if (std::optional<std::wstring> own = LauncherDirectory()) {
        candidates.push_back(std::move(*own));
    }
    const std::wstring workingDirectory = SelectWorkingDirectory(candidates);
    if (workingDirectory.empty()) {
        ReportLaunchFailure(PathFailure(WorkingDirectoryInaccessibleText));
    }

    PayloadViews views;
    if (const std::int32_t loaded = LoadPayloadResources(module, views); loaded != 0) {
        ReportLaunchFailure(StageFailure(SignedStageError(LaunchStage::LoadResources, loaded, 0)));
    }

    PendingEntries pending;
    if (const std::optional<StageError> corrupt = VerifyAndParsePayload(views, pending)) {
        ReportLaunchFailure(StageFailure(*corrupt));
    }

    if (const auto refused = RefuseUnsafeRecords(workingDirectory, ReadRecordPaths(views))) {
        ReportLaunchFailure(*refused);
    }

    if (const auto failure = SynchroniseWorkingDirectory(workingDirectory, pending)) {
        ReportLaunchFailure(*failure);
    }

    if (const auto failure =
            StartMainApplication(JoinPath(workingDirectory, SharedName::ApplicationExe))) {
        ReportLaunchFailure(*failure);
    }

    EndLaunch(LaunchEnd::Started);
    return ExitCode::Started;
}
