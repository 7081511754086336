// Whole-file reads and writes for the tests and the test payload tool. Portable: the standard
// file streams, which open by the wide path on Windows.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "tests/support/TestBytes.h"

// Writes bytes as the whole file at path, creating its missing folders; throws
// std::runtime_error when it cannot (a test then fails with the message).
void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes);
void WriteFileText(const std::filesystem::path& path, std::string_view text);

// Gives the bytes of the file at path, or nothing when it cannot be opened or read.
std::optional<Bytes> ReadFileBytes(const std::filesystem::path& path);

// Gives the bytes of the file at path as text; empty when it cannot be read.
std::string ReadFileText(const std::filesystem::path& path);
