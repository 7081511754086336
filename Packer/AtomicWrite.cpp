// Temporary-then-rename output. The temporary file sits in the target's own folder, so the
// rename never crosses file systems and replaces the target in one step.
#include "Packer/AtomicWrite.h"

#include <fstream>
#include <system_error>

#include "Launcher/base/Utf16.h"

namespace {

std::filesystem::path TemporaryPathFor(const std::filesystem::path& target) {
    std::filesystem::path temporary = target;
    temporary += ".partial";
    return temporary;
}

bool WriteOne(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
              std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
    }
    if (!out) {
        error = PathToUtf8(path) + ": cannot be written";
        return false;
    }
    return true;
}

void RemoveTemporaries(const std::vector<OutputFile>& files) {
    for (const auto& file : files) {
        std::error_code ignored;
        std::filesystem::remove(TemporaryPathFor(file.path), ignored);
    }
}

}  // namespace

bool WriteFilesAtomically(const std::vector<OutputFile>& files, std::string& error) {
    for (const auto& file : files) {
        if (!WriteOne(TemporaryPathFor(file.path), *file.bytes, error)) {
            RemoveTemporaries(files);
            return false;
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::error_code failure;
        std::filesystem::rename(TemporaryPathFor(files[i].path), files[i].path, failure);
        if (failure) {
            error = PathToUtf8(files[i].path) + ": cannot be put in place: " + failure.message();
            if (i > 0) {
                error += " (files before it were already replaced)";
            }
            RemoveTemporaries(files);
            return false;
        }
    }
    return true;
}
