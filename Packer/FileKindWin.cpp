// Item classification on Windows from the item's own attributes: a reparse point (symbolic link,
// junction, mount point) is a link whatever it points to.
#include "Packer/FileKind.h"

#include <windows.h>

FileKind ClassifyItem(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return FileKind::Missing;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        return FileKind::Link;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return FileKind::Directory;
    }
    if (attributes & FILE_ATTRIBUTE_DEVICE) {
        return FileKind::Special;
    }
    return FileKind::Regular;
}
