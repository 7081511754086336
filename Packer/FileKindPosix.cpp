// Item classification on POSIX hosts through std::filesystem::symlink_status.
#include "Packer/FileKind.h"

#include <system_error>

FileKind ClassifyItem(const std::filesystem::path& path) {
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
