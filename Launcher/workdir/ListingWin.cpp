// The listing on Win32: FindFirstFileExW gives each entry's attributes and reparse tag with its
// name, so a listed item needs no further call unless it is a link.
#include <windows.h>

#include "Launcher/base/PathRules.h"
#include "Launcher/workdir/Listing.h"

namespace {

bool IsNotFound(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsLinkTag(DWORD attributes, DWORD tag) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsLinkReparseTag(tag);
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

}  // namespace

bool ListDirectory(const std::filesystem::path& folder, const std::wstring& relativeFolder,
                   std::vector<ListedItem>& items) {
    WIN32_FIND_DATAW data{};
    const std::wstring pattern = JoinPath(folder.native(), L"*");
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        // An empty drive root has no "." entry, so nothing at all matches.
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        return error == ERROR_FILE_NOT_FOUND && attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    do {
        if (IsDotEntry(data.cFileName)) {
            continue;
        }
        const std::wstring name = data.cFileName;
        items.push_back({JoinPath(folder.native(), name), RelativePath(relativeFolder, name), name,
                         (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                         IsLinkTag(data.dwFileAttributes, data.dwReserved0)});
    } while (FindNextFileW(find, &data));
    const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(find);
    return complete;
}

bool IsLinkItem(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && IsLinkAt(path.native(), attributes);
}

std::optional<bool> IsDirectoryFollowingLinks(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return IsNotFound(GetLastError()) ? std::optional(false) : std::nullopt;
    }
    if (!IsLinkAt(path.native(), attributes)) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    // Opening without FILE_FLAG_OPEN_REPARSE_POINT reaches the link's target.
    const HANDLE target = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (target == INVALID_HANDLE_VALUE) {
        return IsNotFound(GetLastError()) ? std::optional(false) : std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const BOOL known = GetFileInformationByHandle(target, &information);
    CloseHandle(target);
    if (!known) {
        return std::nullopt;
    }
    return (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
