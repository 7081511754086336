// The two things the tests' file-system helpers cannot leave to std::filesystem, which on Windows
// does not know links and refuses read-only files: removing a folder, and telling a link.
// Defined per platform.
#pragma once

#include <filesystem>

// Removes folder (or a file) and everything below it, read-only items included; a link inside is
// removed itself, never followed. Absent is fine. Returns false when something stays.
bool RemoveTestFolder(const std::filesystem::path& folder);

// Tells whether path is a symbolic link (on Windows any reparse point: a link or a junction).
bool IsLink(const std::filesystem::path& path);
