// Output lock on POSIX: flock on each output folder, taken once per folder (two descriptors of
// one folder in one process would wait for each other).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <utility>

#include "Launcher/base/Utf16.h"
#include "Packer/cli/OutputLock.h"

OutputLock::~OutputLock() {
    for (const std::intptr_t descriptor : held) {
        close(static_cast<int>(descriptor));
    }
}

bool LockOutputFolders(const std::vector<std::filesystem::path>& targets, OutputLock& lock,
                       std::string& error) {
    std::set<std::pair<dev_t, ino_t>> locked;
    for (const auto& target : targets) {
        const std::filesystem::path folder =
            target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
        const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat info {};
        if (descriptor < 0 || fstat(descriptor, &info) != 0) {
            error = PathToUtf8(folder) + ": the folder cannot be opened: " + std::strerror(errno);
            if (descriptor >= 0) {
                close(descriptor);
            }
            return false;
        }
        if (!locked.insert({info.st_dev, info.st_ino}).second) {
            close(descriptor);
            continue;
        }
        lock.held.push_back(descriptor);
        while (flock(descriptor, LOCK_EX) != 0) {
            if (errno != EINTR) {
                error =
                    PathToUtf8(folder) + ": the folder cannot be locked: " + std::strerror(errno);
                return false;
            }
        }
    }
    return true;
}
