// What pack and check say about a record path that a start takes but that is worth a word: a
// settings file, which is only a default, and a path long enough that, with the per-user folder in
// front of it, it can pass the 260 characters Windows allows programs without long-path support.
#pragma once

#include <cstddef>
#include <ostream>
#include <string_view>

// Relative paths longer than this many UTF-16 code units draw a warning.
inline constexpr std::size_t LongRelativePath = 200;

// Prints on err the warning and the note, if any, that a record at relativePath named name draws,
// shown as shown, each line beginning with prefix.
void PrintRecordRemarks(std::string_view prefix, std::string_view shown,
                        std::wstring_view relativePath, std::wstring_view name, std::ostream& err);
