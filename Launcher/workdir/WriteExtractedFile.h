// The writer that puts one payload file on disk under the working directory.
#pragma once

#include <memory>
#include <string>

#include "Launcher/payload/PayloadEntry.h"

// Writes entry's content to workingDirectory / folder / name, first removing a non-directory
// that stands where a folder of the chain should be and whatever stands at the file's place
// (read-only files and whole trees included). A "Config.ini" is a default: it is written only
// where nothing stands at its path. Returns once every byte is written; when the file cannot be
// opened, written or closed, or folder and name would lead outside workingDirectory, it reports
// write-file-failed with the full path and does not return.
void WriteExtractedFile(const std::wstring& workingDirectory,
                        const std::shared_ptr<PayloadEntry>& entry);
