// The launcher's own removal handles read-only items and links; the reparse mark tells a link
// (a link made on the host shows under Wine as a directory with that mark).
#include "tests/support/TestFileSystem.h"

#include <windows.h>

#include "Launcher/workdir/FileSystem.h"

bool RemoveTestFolder(const std::filesystem::path& folder) {
    return RemoveTree(folder.wstring()).ok;
}

bool IsLink(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
