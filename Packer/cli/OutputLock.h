// The lock a run holds from putting its outputs in place until it has said so, so that two runs
// writing into one folder put their outputs in place one after the other and each ends with
// its own bytes there. It belongs to the output's folder as the file system knows it, whatever
// the path's spelling: on POSIX an flock on the folder, on Windows a named mutex for the
// folder's volume and file index. The system drops it when a run dies.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Destroyed, it releases what it holds; it is neither copied nor moved.
struct OutputLock {
    std::vector<std::intptr_t> held;  // folder descriptors, or mutex handles

    OutputLock() = default;
    OutputLock(const OutputLock&) = delete;
    OutputLock& operator=(const OutputLock&) = delete;
    ~OutputLock();
};

// Takes into lock, which holds nothing yet, the lock of the folder of every target, waiting while
// another run holds one. Returns false with error naming the folder when it cannot be opened or
// locked; what was taken is released with lock.
bool LockOutputFolders(const std::vector<std::filesystem::path>& targets, OutputLock& lock,
                       std::string& error);
