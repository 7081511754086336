// Names as Windows compares them: ordinally, each UTF-16 code unit taken in its uppercase form,
// with no locale and no expansion ("ä" equals "Ä", "ß" does not equal "SS"). Every comparison of
// names or paths that stands for Windows goes through UpcaseUnit, on Windows and on the host
// alike, so that a Linux run of nimbrel-pack judges names as a start on Windows does. Portable.
#pragma once

#include <string_view>

// Gives the unit's simple uppercase form, or the unit itself when it has none in the Basic
// Multilingual Plane that maps back to it (surrogates stay as they are).
wchar_t UpcaseUnit(wchar_t unit);

// Tells whether two names are one name on Windows: same length, same units once upcased.
bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b);

// Tells whether name is the user's settings file in any letter case, which a start never deletes
// and which a payload only ever supplies as a default.
bool IsSparedName(std::wstring_view name);
