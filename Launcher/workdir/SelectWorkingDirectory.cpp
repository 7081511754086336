// Tries the candidates in list order; nothing is remembered between starts.
#include "Launcher/workdir/SelectWorkingDirectory.h"

#include "Launcher/base/PathRules.h"
#include "Launcher/base/SharedNames.h"
#include "Launcher/workdir/FileSystem.h"
#include "Launcher/workdir/ProbeDirectoryAccess.h"

std::wstring SelectWorkingDirectory(const std::vector<std::wstring>& candidates) {
    for (const std::wstring& candidate : candidates) {
        std::wstring folder = JoinPath(candidate, SharedName::WorkingFolder);
        if (!PathExists(folder)) {
            CreateSingleDirectory(folder);
        }
        if (ProbeDirectoryAccess(folder)) {
            return folder;
        }
    }
    return {};
}
