// std::filesystem::remove_all fails on read-only files and does not know links on Windows; the
// launcher's own removal handles both.
#include "Launcher/workdir/FileSystem.h"
#include "tests/support/TempFolder.h"

bool RemoveTestFolder(const std::filesystem::path& folder) {
    return RemoveTree(folder.wstring()).ok;
}
