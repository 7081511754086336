// Windows path rules on wide text, as std::filesystem::path applies them on Windows: a root name
// is a disk designator (any code unit followed by a colon), a root directory is one separator
// right after it (or at the start), and a run of separators is one separator. Portable.
#include "Launcher/base/PathRules.h"

#include <algorithm>
#include <vector>

#include "Launcher/base/NameCase.h"
#include "Launcher/base/SharedNames.h"

namespace {

// A path taken apart: its root name, whether a root separator follows, and the elements of the
// rest. A trailing separator after an element adds one empty element, as path iteration does.
struct PathParts {
    std::wstring_view rootName;
    bool hasRootDirectory = false;
    std::vector<std::wstring_view> elements;
};

bool HasDiskDesignator(std::wstring_view path) {
    return path.size() >= 2 && !IsPathSeparator(path[0]) && path[1] == L':';
}

PathParts SplitPath(std::wstring_view path) {
    PathParts parts;
    std::wstring_view rest = path;
    if (HasDiskDesignator(rest)) {
        parts.rootName = rest.substr(0, 2);
        rest.remove_prefix(2);
    }
    parts.hasRootDirectory = !rest.empty() && IsPathSeparator(rest.front());
    parts.elements = PathElements(rest);
    if (!parts.elements.empty() && IsPathSeparator(rest.back())) {
        parts.elements.push_back(rest.substr(rest.size()));
    }
    return parts;
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

// Tells whether the path ends in a non-empty file name (std::filesystem::path::has_filename).
bool HasFileName(std::wstring_view path) {
    if (path.empty() || IsPathSeparator(path.back())) {
        return false;
    }
    return !(path.size() == 2 && HasDiskDesignator(path));
}

}  // namespace

bool IsPathSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

std::wstring JoinPath(std::wstring_view base, std::wstring_view right) {
    const PathParts rightParts = SplitPath(right);
    const std::wstring_view baseRoot = HasDiskDesignator(base) ? base.substr(0, 2) : L"";
    const bool rightAbsolute = !rightParts.rootName.empty() && rightParts.hasRootDirectory;
    if (rightAbsolute || (!rightParts.rootName.empty() && rightParts.rootName != baseRoot)) {
        return std::wstring(right);
    }
    std::wstring joined;
    const std::wstring_view rightRest = right.substr(rightParts.rootName.size());
    if (rightParts.hasRootDirectory) {
        joined.reserve(baseRoot.size() + rightRest.size());
        joined.append(baseRoot);
    } else {
        joined.reserve(base.size() + 1 + rightRest.size());
        joined.append(base);
        if (HasFileName(base)) {
            joined.push_back(L'\\');
        }
    }
    joined.append(rightRest);
    return joined;
}

bool PathKeyEqual(std::wstring_view a, std::wstring_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const bool separatorA = IsPathSeparator(a[i]);
        const bool separatorB = IsPathSeparator(b[j]);
        if (separatorA != separatorB) {
            return false;
        }
        if (separatorA) {
            while (i < a.size() && IsPathSeparator(a[i])) {
                ++i;
            }
            while (j < b.size() && IsPathSeparator(b[j])) {
                ++j;
            }
            continue;
        }
        if (UpcaseUnit(a[i]) != UpcaseUnit(b[j])) {
            return false;
        }
        ++i;
        ++j;
    }
    return i == a.size() && j == b.size();
}

std::uint32_t PathKeyHash(std::wstring_view path) {
    std::uint32_t hash = 2166136261u;
    const auto mix = [&hash](std::uint32_t unit) {
        hash = (hash ^ (unit & 0xFFu)) * 16777619u;
        hash = (hash ^ (unit >> 8)) * 16777619u;
    };
    for (std::size_t i = 0; i < path.size();) {
        if (IsPathSeparator(path[i])) {
            mix(L'\\');
            while (i < path.size() && IsPathSeparator(path[i])) {
                ++i;
            }
        } else {
            mix(static_cast<std::uint32_t>(UpcaseUnit(path[i])) & 0xFFFFu);
            ++i;
        }
    }
    return hash;
}

int ComparePaths(std::wstring_view a, std::wstring_view b) {
    if (a == b) {
        return 0;
    }
    const PathParts left = SplitPath(a);
    const PathParts right = SplitPath(b);
    if (const int byRoot = left.rootName.compare(right.rootName); byRoot != 0) {
        return Sign(byRoot);
    }
    if (left.hasRootDirectory != right.hasRootDirectory) {
        return left.hasRootDirectory ? 1 : -1;
    }
    const std::size_t common = std::min(left.elements.size(), right.elements.size());
    for (std::size_t k = 0; k < common; ++k) {
        if (const int byElement = left.elements[k].compare(right.elements[k]); byElement != 0) {
            return Sign(byElement);
        }
    }
    if (left.elements.size() == right.elements.size()) {
        return 0;
    }
    return left.elements.size() < right.elements.size() ? -1 : 1;
}

namespace {

// Windows opens the device, not a file, for these names with any extension; spaces before the
// extension do not change that. Windows counts 0 to 9 and the Latin-1 superscripts 1, 2 and 3 as
// digits of COM and LPT names, and CreateFileW opens the console for CONIN$ and CONOUT$.
bool IsDeviceName(std::wstring_view element) {
    std::wstring_view base = element.substr(0, element.find(L'.'));
    while (!base.empty() && base.back() == L' ') {
        base.remove_suffix(1);
    }
    for (const std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (SameNameIgnoringCase(base, device)) {
            return true;
        }
    }
    if (base.size() == 4 && ((base[3] >= L'0' && base[3] <= L'9') || base[3] == L'\u00B9' ||
                             base[3] == L'\u00B2' || base[3] == L'\u00B3')) {
        return SameNameIgnoringCase(base.substr(0, 3), L"COM") ||
               SameNameIgnoringCase(base.substr(0, 3), L"LPT");
    }
    return false;
}

bool HasUnpairedSurrogate(std::wstring_view element) {
    for (std::size_t k = 0; k < element.size(); ++k) {
        const auto unit = static_cast<std::uint32_t>(element[k]);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            const bool paired = k + 1 < element.size() &&
                                static_cast<std::uint32_t>(element[k + 1]) >= 0xDC00 &&
                                static_cast<std::uint32_t>(element[k + 1]) <= 0xDFFF;
            if (!paired) {
                return true;
            }
            ++k;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string_view UnsafePathElementReason(std::wstring_view element) {
    if (element.empty()) {
        return "is empty";
    }
    if (element.size() > LongestPathElement) {
        return "is longer than 255 UTF-16 code units, which no Windows file system keeps";
    }
    if (element.find_first_not_of(L". ") == std::wstring_view::npos) {
        return "is made of dots and spaces only";
    }
    for (const wchar_t c : element) {
        if (static_cast<std::uint32_t>(c) < 0x20) {
            return "holds a control character";
        }
        if (std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos) {
            return "holds one of < > : \" / \\ | ? *";
        }
    }
    if (element.back() == L'.' || element.back() == L' ') {
        return "ends in a dot or a space, which Windows drops";
    }
    if (IsDeviceName(element)) {
        return "is a reserved Windows device name";
    }
    if (HasUnpairedSurrogate(element)) {
        return "is not valid UTF-16";
    }
    return {};
}

std::vector<std::wstring_view> PathElements(std::wstring_view path) {
    std::vector<std::wstring_view> elements;
    std::size_t pos = 0;
    while (pos < path.size()) {
        if (IsPathSeparator(path[pos])) {
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < path.size() && !IsPathSeparator(path[end])) {
            ++end;
        }
        elements.push_back(path.substr(pos, end - pos));
        pos = end;
    }
    return elements;
}

std::string UnsafeRecordPathReason(std::wstring_view folder, std::wstring_view name) {
    if (!folder.empty() && IsPathSeparator(folder.front())) {
        return "the folder starts with a separator";
    }
    for (const std::wstring_view element : PathElements(folder)) {
        if (const std::string_view reason = UnsafePathElementReason(element); !reason.empty()) {
            return "a folder element " + std::string(reason);
        }
        // A start never deletes a settings file, so a folder of that name would have to take the
        // place of the user's file or fail.
        if (IsSparedName(element)) {
            return "a folder element is named " NIMBREL_SPARED_FILE_NAME
                   ", the settings file a start never deletes";
        }
    }
    if (const std::string_view reason = UnsafePathElementReason(name); !reason.empty()) {
        return "the name " + std::string(reason);
    }
    return {};
}
