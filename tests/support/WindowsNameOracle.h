// What Windows makes of a payload record's path, written from Windows' own documentation and
// not from the launcher's rule, so that tests can judge that rule by it.
#pragma once

#include <string_view>

// Tells whether Windows keeps element as written as the name of a plain file or folder: it is
// 1 to 255 code units, holds no reserved character, loses nothing to the trailing dots and spaces
// that Windows strips, and names no device. Valid UTF-16 is asked too: the payload's own text
// demands it, Windows does not.
bool WindowsKeepsName(std::wstring_view element);

// Tells whether every element of a record's folder and its name pass WindowsKeepsName. The
// folder is relative to the working folder (no leading separator); a run of separators of either
// kind is one separator.
bool WindowsKeepsRecordPath(std::wstring_view folder, std::wstring_view name);
