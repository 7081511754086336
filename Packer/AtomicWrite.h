// Writes output files so that a failure leaves no half-written file behind: each file is
// written in full beside its target under a temporary name, and only then renamed over it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct OutputFile {
    std::filesystem::path path;
    const std::vector<std::uint8_t>* bytes = nullptr;
};

// Writes every file to a temporary name first; once all are complete, renames them into place
// in order. Returns false with error naming the file when any write or rename fails; the
// temporary files are removed on every path. A target already renamed into place stays (two
// renames cannot be made one step), which the error then says.
bool WriteFilesAtomically(const std::vector<OutputFile>& files, std::string& error);
