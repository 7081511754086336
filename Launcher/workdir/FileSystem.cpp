// Win32 file-system helpers for the working directory. Every function reports failure through its
// result; none raises or shows anything.
#include "Launcher/workdir/FileSystem.h"

#include <windows.h>

#include <vector>

namespace {

bool IsNotFound(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Resets a listed item's attributes unless it is a link, whose attributes are its target's
// business, then removes it.
bool ResetAndRemove(const ListedItem& item) {
    if (!item.isLink) {
        ResetAttributes(item.fullPath.native());
    }
    return RemoveListedItem(item);
}

}  // namespace

bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ResetAttributes(const std::wstring& path) {
    return SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

bool RemoveListedItem(const ListedItem& item) {
    if (!item.isDirectory) {
        return DeleteFileW(item.fullPath.c_str()) != 0;
    }
    // For a directory link this removes the link itself, never the target's content.
    return RemoveDirectoryW(item.fullPath.c_str()) != 0;
}

RemovalResult RemoveTree(const std::wstring& path) {
    RemovalResult result;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        result.ok = IsNotFound(GetLastError());
        return result;
    }
    ListedItem top;
    top.fullPath = path;
    top.isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    top.isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsLinkItem(top.fullPath);
    if (top.isDirectory && !top.isLink) {
        std::vector<ListedItem> children;
        result.ok = ListDirectory(path, L"", children);
        for (const ListedItem& child : children) {
            if (child.isDirectory && !child.isLink) {
                const RemovalResult below = RemoveTree(child.fullPath.native());
                result.removed += below.removed;
                result.ok = result.ok && below.ok;
            } else if (ResetAndRemove(child)) {
                ++result.removed;
            } else {
                result.ok = false;
            }
        }
    }
    if (ResetAndRemove(top)) {
        ++result.removed;
    } else {
        result.ok = false;
    }
    return result;
}

bool CreateSingleDirectory(const std::wstring& path) {
    return CreateDirectoryW(path.c_str(), nullptr) != 0;
}
