// What the commands ask of the files named on their command lines.
#pragma once

#include <filesystem>
#include <ostream>
#include <string_view>

// Tells whether a and b name one file: the same existing file however spelled or linked, or, when
// either does not exist yet, the same path once made absolute and normal.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Tells whether dir is a folder; when it is not, says so under the name of command.
bool RequireFolder(std::string_view command, const std::filesystem::path& dir, std::ostream& err);
