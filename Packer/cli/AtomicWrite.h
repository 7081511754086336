// Writes output files so that nothing the user has is ever replaced but the output itself: each
// file is written beside its target under a fresh temporary name that this run alone created,
// and only then renamed over the target. Two runs never share a temporary file, so what a run
// renames into place is always its own whole output; the rename and the report after it are
// made under the output folder's lock (OutputLock.h), so no other run's rename comes between.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "Packer/cli/OutputLock.h"

// Checks that path can name an output file. Returns false with error when it is empty or names
// a folder.
bool CheckOutputPath(const std::filesystem::path& path, std::string& error);

// A temporary file being written for target. Destroyed before PutInPlace succeeded, it closes
// and removes the file it made, so every failure path leaves nothing behind. Never copied or
// moved.
struct TemporaryOutput {
    std::filesystem::path target;
    std::filesystem::path path;  // empty until made, and again once in place
    int descriptor = -1;

    TemporaryOutput() = default;
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;
    ~TemporaryOutput();
};

// Makes, into output that holds no file yet, a temporary file in target's folder under a name no
// file has (TARGET.<random>.partial), created exclusively and never through a link. Returns false
// with error when none can be made.
bool CreateTemporaryOutput(const std::filesystem::path& target, TemporaryOutput& output,
                           std::string& error);

// Appends bytes to the temporary file. Returns false with error when the write fails.
bool WriteTemporaryOutput(TemporaryOutput& output, std::span<const std::uint8_t> bytes,
                          std::string& error);

// Closes the temporary file and renames it over its target in one step; a link at the target is
// replaced, never written through. Returns false with error when the close or rename fails, and
// the temporary file is then removed.
bool PutTemporaryOutputInPlace(TemporaryOutput& output, std::string& error);

struct OutputFile {
    std::filesystem::path path;
    const std::vector<std::uint8_t>* bytes = nullptr;
};

// Writes every file to a temporary file first; once all are complete, takes lock of their
// folders and renames them into place in order. The caller holds lock until it has reported
// the outcome. Returns false with error naming the file when any write, lock or rename fails;
// the temporary files are removed on every path. A target already renamed into place stays
// (two renames cannot be made one step), which the error then says.
bool WriteFilesAtomically(const std::vector<OutputFile>& files, OutputLock& lock,
                          std::string& error);
