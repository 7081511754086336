// Tries the candidates in list order; nothing is remembered between starts.
#include "workdir/SelectWorkingDirectory.h"

#include "workdir/FileSystem.h"
#include "workdir/PathRules.h"
#include "workdir/ProbeDirectoryAccess.h"

std::wstring SelectWorkingDirectory(const std::vector<std::wstring>& candidates) {
    for (const std::wstring& candidate : candidates) {
        std::wstring folder = JoinPath(candidate, L"Nimbrel");
        if (!PathExists(folder)) {
            CreateSingleDirectory(folder);
        }
        if (ProbeDirectoryAccess(folder)) {
            return folder;
        }
    }
    return {};
}
