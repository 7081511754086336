// The writer that puts one payload file on disk under the working directory.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Launcher/payload/PayloadEntry.h"
#include "Launcher/report/LaunchFailure.h"

// Writes entry's content to workingDirectory / folder / name, first removing a non-directory
// that stands where a folder of the chain should be and whatever stands at the file's place
// (read-only files and whole trees included). A settings file (named so in any letter case) is
// a default: it is written only where nothing stands at its path. Gives nothing once every byte is
// written (or the default was left alone); when the file cannot be opened, written or closed, or
// folder and name would lead outside workingDirectory, gives the write-file-failed failure with the
// full path.
std::optional<LaunchFailure> WriteExtractedFile(const std::wstring& workingDirectory,
                                                const std::shared_ptr<PayloadEntry>& entry);
