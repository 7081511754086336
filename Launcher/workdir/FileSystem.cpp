// Win32 file-system helpers for the working directory. Every function reports failure through its
// result; none raises or shows anything.
#include "Launcher/workdir/FileSystem.h"

#include <windows.h>

#include "Launcher/base/PathRules.h"

namespace {

bool IsNotFound(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Only symbolic links and mount points (junctions) are links. Other reparse points, such as
// cloud-file placeholders and deduplicated files, are ordinary files and folders. A reparse point
// whose tag the listing does not give (Wine gives none for the host's links) stays a link, the
// side that never follows or empties it.
bool IsLinkTag(DWORD attributes, DWORD tag) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           (tag == 0 || tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT);
}

// Tells whether the item at path, whose attributes are given, is a link; the reparse tag comes
// from the item's directory entry.
bool IsLinkAt(const std::wstring& path, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return false;
    }
    WIN32_FIND_DATAW data{};
    const HANDLE find =
        FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        return true;  // unknown: treated as a link, which is never followed or emptied
    }
    FindClose(find);
    return IsLinkTag(data.dwFileAttributes, data.dwReserved0);
}

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// Lists folder, then each real directory below each item right after that item. Returns false
// once a folder could not be listed whole; nothing after that point is appended.
bool AppendTree(const std::wstring& folder, std::vector<ListedItem>& items) {
    std::vector<ListedItem> level;
    const bool listed = ListDirectory(folder, level);
    for (ListedItem& item : level) {
        const bool descend = item.isDirectory && !item.isLink;
        std::wstring path = item.fullPath;
        items.push_back(std::move(item));
        if (descend && !AppendTree(path, items)) {
            return false;
        }
    }
    return listed;
}

}  // namespace

bool ListDirectory(const std::wstring& folder, std::vector<ListedItem>& items) {
    WIN32_FIND_DATAW data{};
    const std::wstring pattern = JoinPath(folder, L"*");
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        // An empty drive root has no "." entry, so nothing at all matches.
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        return error == ERROR_FILE_NOT_FOUND && attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    bool complete = true;
    do {
        if (IsDotEntry(data.cFileName)) {
            continue;
        }
        ListedItem item;
        item.fullPath = JoinPath(folder, data.cFileName);
        item.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        item.isLink = IsLinkTag(data.dwFileAttributes, data.dwReserved0);
        items.push_back(std::move(item));
    } while (FindNextFileW(find, &data));
    if (GetLastError() != ERROR_NO_MORE_FILES) {
        complete = false;
    }
    FindClose(find);
    return complete;
}

std::vector<ListedItem> ListTree(const std::wstring& folder) {
    std::vector<ListedItem> items;
    AppendTree(folder, items);
    return items;
}

bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<bool> IsDirectoryFollowingLinks(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (IsNotFound(GetLastError())) {
            return false;
        }
        return std::nullopt;
    }
    if (!IsLinkAt(path, attributes)) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    // Opening without FILE_FLAG_OPEN_REPARSE_POINT reaches the link's target.
    HANDLE target = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (target == INVALID_HANDLE_VALUE) {
        if (IsNotFound(GetLastError())) {
            return false;
        }
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const BOOL known = GetFileInformationByHandle(target, &information);
    CloseHandle(target);
    if (!known) {
        return std::nullopt;
    }
    return (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<bool> IsDirectoryItem(const ListedItem& item) {
    if (!item.isLink) {
        return item.isDirectory;
    }
    return IsDirectoryFollowingLinks(item.fullPath);
}

bool ResetAttributes(const std::wstring& path) {
    return SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

bool RemoveSingle(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    if (!IsLinkAt(path, attributes)) {
        ResetAttributes(path);
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return DeleteFileW(path.c_str()) != 0;
    }
    // For a directory link this removes the link itself, never the target's content.
    return RemoveDirectoryW(path.c_str()) != 0;
}

RemovalResult RemoveTree(const std::wstring& path) {
    RemovalResult result;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        result.ok = IsNotFound(GetLastError());
        return result;
    }
    const bool realDirectory =
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !IsLinkAt(path, attributes);
    if (realDirectory) {
        std::vector<ListedItem> children;
        result.ok = ListDirectory(path, children);
        for (const ListedItem& child : children) {
            if (child.isDirectory && !child.isLink) {
                const RemovalResult below = RemoveTree(child.fullPath);
                result.removed += below.removed;
                result.ok = result.ok && below.ok;
            } else if (RemoveSingle(child.fullPath)) {
                ++result.removed;
            } else {
                result.ok = false;
            }
        }
    }
    if (RemoveSingle(path)) {
        ++result.removed;
    } else {
        result.ok = false;
    }
    return result;
}

bool CreateSingleDirectory(const std::wstring& path) {
    return CreateDirectoryW(path.c_str(), nullptr) != 0;
}
