// Sources: "Naming Files, Paths, and Namespaces" (reserved characters; the device names,
// superscript forms included, alone or followed by an extension; no name ending in a space or a
// period), CreateFileW's section on consoles (CONIN$, CONOUT$), and the maximum component length
// of 255 that GetVolumeInformationW reports for NTFS, FAT and exFAT. Windows also ignores spaces
// between a device name and its extension ("NUL .txt" is NUL).
#include "tests/support/WindowsNameOracle.h"

#include <cstddef>
#include <string>

namespace {

constexpr const wchar_t* DocumentedDevices[] = {
    L"CON",       L"PRN",       L"AUX",       L"NUL",     L"COM0", L"COM1", L"COM2",
    L"COM3",      L"COM4",      L"COM5",      L"COM6",    L"COM7", L"COM8", L"COM9",
    L"COM\u00B9", L"COM\u00B2", L"COM\u00B3", L"LPT0",    L"LPT1", L"LPT2", L"LPT3",
    L"LPT4",      L"LPT5",      L"LPT6",      L"LPT7",    L"LPT8", L"LPT9", L"LPT\u00B9",
    L"LPT\u00B2", L"LPT\u00B3", L"CONIN$",    L"CONOUT$",
};

constexpr std::wstring_view ReservedCharacters = L"<>:\"/\\|?*";

bool NamesDevice(std::wstring_view element) {
    std::wstring stem(element.substr(0, element.find(L'.')));
    stem.erase(stem.find_last_not_of(L' ') + 1);
    for (wchar_t& c : stem) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        }
    }
    for (const wchar_t* device : DocumentedDevices) {
        if (stem == device) {
            return true;
        }
    }
    return false;
}

bool IsValidUtf16(std::wstring_view text) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        const unsigned unit = static_cast<unsigned>(text[k]) & 0xFFFFu;
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            const unsigned next = k + 1 < text.size() ? static_cast<unsigned>(text[k + 1]) : 0;
            if (next < 0xDC00 || next > 0xDFFF) {
                return false;
            }
            ++k;
        }
    }
    return true;
}

}  // namespace

bool WindowsKeepsName(std::wstring_view element) {
    if (element.empty() || element.size() > 255) {
        return false;
    }
    for (const wchar_t c : element) {
        if (static_cast<unsigned>(c) <= 31 ||
            ReservedCharacters.find(c) != std::wstring_view::npos) {
            return false;
        }
    }
    // Win32 strips trailing dots and spaces when it opens a path, so such a name comes out as
    // another one (".", ".." and "  " come out empty).
    const std::size_t kept = element.find_last_not_of(L". ");
    if (kept == std::wstring_view::npos || kept + 1 != element.size()) {
        return false;
    }
    return !NamesDevice(element) && IsValidUtf16(element);
}

bool WindowsKeepsRecordPath(std::wstring_view folder, std::wstring_view name) {
    if (!folder.empty() && (folder.front() == L'\\' || folder.front() == L'/')) {
        return false;
    }
    std::wstring element;
    for (const wchar_t c : folder) {
        if (c != L'\\' && c != L'/') {
            element += c;
        } else if (!element.empty()) {
            if (!WindowsKeepsName(element)) {
                return false;
            }
            element.clear();
        }
    }
    return (element.empty() || WindowsKeepsName(element)) && WindowsKeepsName(name);
}
