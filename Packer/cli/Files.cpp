#include "Packer/cli/Files.h"

#include <system_error>

#include "Launcher/base/Utf16.h"

namespace {

// Gives path in the form that two spellings of one file share: canonical where the file system
// can tell, else absolute and lexically normal, else lexically normal as written. Never empty
// for a path that is not, so two paths that cannot be resolved are not taken for one.
std::filesystem::path ComparablePath(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    if (!error) {
        return canonical;
    }
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? path : absolute).lexically_normal();
}

}  // namespace

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error) && !error) {
        return true;
    }
    return ComparablePath(a) == ComparablePath(b);
}

bool RequireFolder(std::string_view command, const std::filesystem::path& dir, std::ostream& err) {
    std::error_code missing;
    if (std::filesystem::is_directory(dir, missing)) {
        return true;
    }
    err << "nimbrel-pack " << command << ": " << PathToUtf8(dir) << ": is not a folder\n";
    return false;
}
