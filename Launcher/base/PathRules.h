// Windows path rules on wide text, without the file system: joining, the element-wise equality
// and hash that key the pending entries, the ordering of candidate directories, the lexical
// relative path and the rule for a safe record path. Portable: on Windows wchar_t holds one
// UTF-16 code unit; on the host each wchar_t holds one UTF-16 code unit as well, so the rules
// behave the same on both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Tells whether c separates path elements (backslash or forward slash).
bool IsPathSeparator(wchar_t c);

// Joins right onto base like std::filesystem::path's operator/ on Windows: a right side with a
// drive or a root separator replaces what it must; otherwise one backslash goes between the two
// unless base is empty or already ends in a separator.
std::wstring JoinPath(std::wstring_view base, std::wstring_view right);

// Tells whether two relative paths have the same elements as Windows compares names (letter case
// ignored, see NameCase.h), with a run of separators of either kind counting as one separator.
bool PathKeyEqual(std::wstring_view a, std::wstring_view b);

// FNV-1a over the upcased UTF-16 code units (low byte first) with each run of separators hashed
// as one backslash; equal keys hash equally.
std::uint32_t PathKeyHash(std::wstring_view path);

struct PathKeyHasher {
    std::size_t operator()(const std::wstring& path) const { return PathKeyHash(path); }
};
struct PathKeyEquality {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return PathKeyEqual(a, b);
    }
};

// Orders two paths as std::filesystem::path::compare does on Windows: root name first, then the
// presence of a root separator, then the rest element by element (a separator sorts before any
// other character). Returns <0, 0 or >0.
int ComparePaths(std::wstring_view a, std::wstring_view b);

// Gives the elements of path between its separators (either kind; runs count as one), without
// empty elements. The views point into path.
std::vector<std::wstring_view> PathElements(std::wstring_view path);

// The longest element, in UTF-16 code units, that Windows file systems keep.
inline constexpr std::size_t LongestPathElement = 255;

// Gives why one element of a payload record's path cannot safely be created below the working
// folder, as a predicate ("is a reserved Windows device name"), or an empty text when it can. An
// element must be 1 to 255 code units long, not only dots and spaces, not end in a dot or a space
// (Windows drops those: "a.ini." is "a.ini"), hold no code unit below 0x20 and none of
// < > : " / \ | ? *, not be a device name (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM and LPT
// with a digit 0-9 or a superscript 1-3, any case, with or without an extension), and be valid
// UTF-16.
std::string_view UnsafePathElementReason(std::wstring_view element);

// Gives why a record's folder and name are unsafe ("the name ...", "a folder element ..."), or an
// empty text when both are safe. A folder element named as the settings file in any letter case
// is unsafe too: a start would have to delete the user's file to make the folder. The folder may be
// empty; its elements are separated by either separator, a run counting as one, and it must not
// start with one.
std::string UnsafeRecordPathReason(std::wstring_view folder, std::wstring_view name);
