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

// Move-only; destroyed, it releases what it holds.
struct OutputLock {
    std::vector<std::intptr_t> held;  // folder descriptors, or mutex handles

    OutputLock() = default;
    OutputLock(OutputLock&& other) noexcept;
    OutputLock& operator=(OutputLock&& other) noexcept;
    ~OutputLock();
};

// Takes the lock of the folder of every target, waiting while another run holds one. Returns
// false with error naming the folder when it cannot be opened or locked.
bool LockOutputFolders(const std::vector<std::filesystem::path>& targets, OutputLock& lock,
                       std::string& error);
