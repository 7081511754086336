// Item classification for the packer's input folder. Links are what the launcher's listing calls
// links (symbolic links and junctions, asked of the item's own attributes on Windows, where
// libstdc++'s symlink_status does not see them); everything else comes from symlink_status.
#include "Packer/FileKind.h"

#include <system_error>

#include "Launcher/workdir/Listing.h"

FileKind ClassifyItem(const std::filesystem::path& path) {
    if (IsLinkItem(path)) {
        return FileKind::Link;
    }
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    if (error) {
        return FileKind::Missing;
    }
    switch (status.type()) {
        case std::filesystem::file_type::regular:
            return FileKind::Regular;
        case std::filesystem::file_type::directory:
            return FileKind::Directory;
        case std::filesystem::file_type::symlink:
            return FileKind::Link;
        case std::filesystem::file_type::not_found:
        case std::filesystem::file_type::none:
            return FileKind::Missing;
        default:
            return FileKind::Special;
    }
}
