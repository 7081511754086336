// The listing on POSIX hosts, where nimbrel-pack's diff runs: std::filesystem without following
// links. Names are bytes here; a name that is not UTF-8 is shown with U+FFFD, and such a file
// has no payload path, so it can only be a stray. Entries come sorted by name so that a report
// is the same on every run; the launcher's own order is the platform's and nothing depends on it.
#include <algorithm>
#include <system_error>

#include "Launcher/base/Utf16.h"
#include "Launcher/workdir/Listing.h"

namespace {

std::wstring NameText(const std::filesystem::path& name) {
    if (auto text = PathToUtf16(name)) {
        return *text;
    }
    return Utf8ToUtf16(PathToUtf8(name)).value_or(std::wstring{});
}

}  // namespace

bool ListDirectory(const std::filesystem::path& folder, const std::wstring& relativeFolder,
                   std::vector<ListedItem>& items) {
    std::error_code error;
    std::vector<std::filesystem::path> paths;
    std::filesystem::directory_iterator it(folder, error);
    for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
        paths.push_back(it->path());
    }
    std::sort(paths.begin(), paths.end());
    for (const std::filesystem::path& path : paths) {
        const std::wstring name = NameText(path.filename());
        std::error_code typeError;
        const auto status = std::filesystem::symlink_status(path, typeError);
        items.push_back({path, RelativePath(relativeFolder, name), name,
                         std::filesystem::is_directory(status),
                         std::filesystem::is_symlink(status)});
    }
    return !error;
}

bool IsLinkItem(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_symlink(std::filesystem::symlink_status(path, error));
}

std::optional<bool> IsDirectoryFollowingLinks(const std::filesystem::path& path) {
    std::error_code error;
    const auto target = std::filesystem::status(path, error);
    if (target.type() == std::filesystem::file_type::not_found) {
        return false;
    }
    if (error) {
        return std::nullopt;
    }
    return std::filesystem::is_directory(target);
}
