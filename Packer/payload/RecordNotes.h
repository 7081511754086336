// What pack and check say about a record path that a start takes but that is worth a word: a
// settings file, which is only a default, and a path long enough that, with the per-user folder in
// front of it, it can pass the 260 characters Windows allows programs without long-path support.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Relative paths longer than this many UTF-16 code units draw a warning.
inline constexpr std::size_t LongRelativePath = 200;

// Gives the informational line for a record named name, or an empty text when it needs none.
std::string_view RecordNote(std::wstring_view name);

// Gives the warning for a record at relativePath, or an empty text when it needs none.
std::string RecordWarning(std::wstring_view relativePath);
