// Helpers for the working-directory tests on Windows (with the shared temporary folder, seeded
// bytes, file reads and writes, and file holder): small file utilities, payload entries built
// with zstd, and links made the way Wine shows them (a host symbolic link), or with
// CreateSymbolicLinkW on Windows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Launcher/payload/PayloadEntry.h"
#include "tests/support/FileBytes.h"
#include "tests/support/HeldFile.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestBytes.h"

// Gives text as single-byte characters.
Bytes TextBytes(const char* text);

// Makes a directory and every missing one above it; fails the test when it cannot.
void MakeDirectories(const std::wstring& path);

// Sets or adds attributes (such as FILE_ATTRIBUTE_READONLY) on path.
void AddAttributes(const std::wstring& path, unsigned long attributes);

// Gives the last-write time of path as a 64-bit count, or 0 when it cannot be read.
std::uint64_t LastWriteTime(const std::wstring& path);

// Tells whether path is a file (exists and is not a directory).
bool IsFile(const std::wstring& path);

// Builds a payload entry for folder and name holding bytes, compressed with zstd, as parsing a
// correct record would; the compressed bytes live until the process ends.
std::shared_ptr<PayloadEntry> MakeEntry(const std::wstring& folder, const std::wstring& name,
                                        const Bytes& bytes, std::int32_t index = 0);

// Makes link a symbolic link to the directory target. Returns false when links cannot be made.
bool MakeDirectoryLink(const std::wstring& target, const std::wstring& link);

// Removes a link made by MakeDirectoryLink (never its target). Returns false when it cannot.
bool RemoveDirectoryLink(const std::wstring& link);
