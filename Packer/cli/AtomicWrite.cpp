// Temporary-then-rename output. The temporary file sits in the target's own folder, so the
// rename never crosses file systems and replaces the target in one step. Its name carries a
// random part and it is created only where no file of that name stands (O_EXCL with O_NOFOLLOW;
// on Windows the C runtime's _O_EXCL, which is CreateFileW's CREATE_NEW), so neither a user's
// file nor a link nor another run's temporary file is ever opened.
#include "Packer/cli/AtomicWrite.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

#include "Launcher/base/Utf16.h"

namespace {

constexpr int NameAttempts = 16;

int OpenExclusive(const std::filesystem::path& path) {
#ifdef _WIN32
    return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
#else
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
#endif
}

// Writes up to size bytes; returns how many were written, or -1.
long long WriteSome(int descriptor, const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t Chunk = std::size_t{1} << 30;
    const std::size_t count = size < Chunk ? size : Chunk;
#ifdef _WIN32
    return _write(descriptor, data, static_cast<unsigned>(count));
#else
    return write(descriptor, data, count);
#endif
}

int CloseDescriptor(int descriptor) {
#ifdef _WIN32
    return _close(descriptor);
#else
    return close(descriptor);
#endif
}

std::filesystem::path TemporaryName(const std::filesystem::path& target) {
    static std::random_device random;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
    std::filesystem::path name = target.filename();
    name += suffix;
    name += ".partial";
    return target.parent_path() / name;
}

void Discard(TemporaryOutput& output) {
    if (output.descriptor >= 0) {
        CloseDescriptor(output.descriptor);
        output.descriptor = -1;
    }
    if (!output.path.empty()) {
        std::error_code ignored;
        std::filesystem::remove(output.path, ignored);
        output.path.clear();
    }
}

}  // namespace

bool CheckOutputPath(const std::filesystem::path& path, std::string& error) {
    std::error_code ignored;
    if (path.empty()) {
        error = "an output file name is empty";
        return false;
    }
    if (!path.has_filename() || std::filesystem::is_directory(path, ignored)) {
        error = PathToUtf8(path) + ": names a folder; give the output file's name";
        return false;
    }
    return true;
}

TemporaryOutput::~TemporaryOutput() {
    Discard(*this);
}

bool CreateTemporaryOutput(const std::filesystem::path& target, TemporaryOutput& output,
                           std::string& error) {
    output.target = target;
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const std::filesystem::path path = TemporaryName(target);
        const int descriptor = OpenExclusive(path);
        if (descriptor >= 0) {
            output.path = path;
            output.descriptor = descriptor;
            return true;
        }
        if (errno != EEXIST) {
            error = PathToUtf8(path) + ": cannot be written: " + std::strerror(errno);
            return false;
        }
    }
    error = PathToUtf8(target) + ": no free temporary name beside it";
    return false;
}

bool WriteTemporaryOutput(TemporaryOutput& output, std::span<const std::uint8_t> bytes,
                          std::string& error) {
    while (!bytes.empty()) {
        const long long written = WriteSome(output.descriptor, bytes.data(), bytes.size());
        if (written <= 0) {
            error = PathToUtf8(output.path) + ": cannot be written: " +
                    (written < 0 ? std::strerror(errno) : "nothing was taken");
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

bool PutTemporaryOutputInPlace(TemporaryOutput& output, std::string& error) {
    const int closed = CloseDescriptor(std::exchange(output.descriptor, -1));
    if (closed != 0) {
        error = PathToUtf8(output.path) + ": cannot be written: " + std::strerror(errno);
        Discard(output);
        return false;
    }
    std::error_code failure;
    std::filesystem::rename(output.path, output.target, failure);
    if (failure) {
        error = PathToUtf8(output.target) + ": cannot be put in place: " + failure.message();
        Discard(output);
        return false;
    }
    output.path.clear();
    return true;
}

bool WriteFilesAtomically(const std::vector<OutputFile>& files, OutputLock& lock,
                          std::string& error) {
    std::vector<TemporaryOutput> outputs(files.size());
    std::vector<std::filesystem::path> targets;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!CheckOutputPath(files[i].path, error) ||
            !CreateTemporaryOutput(files[i].path, outputs[i], error) ||
            !WriteTemporaryOutput(outputs[i], *files[i].bytes, error)) {
            return false;
        }
        targets.push_back(files[i].path);
    }
    if (!LockOutputFolders(targets, lock, error)) {
        return false;
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (!PutTemporaryOutputInPlace(outputs[i], error)) {
            if (i > 0) {
                error += " (files before it were already replaced)";
            }
            return false;
        }
    }
    return true;
}
