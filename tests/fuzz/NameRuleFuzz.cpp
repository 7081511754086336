// libFuzzer target over the rule for a safe record path. The input is a record's folder and name
// as UTF-16 code units (low byte first), split at the first 0xFFFF unit. Whenever the rule
// accepts a path, the target holds it to what the launcher relies on, each judged here in its
// own way rather than by the rule's code: Windows keeps every element as written, no element is
// a device name or holds a character Windows forbids, the text is valid UTF-16, and the path
// joined onto a working folder stays below it with the same elements.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "Launcher/base/PathRules.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// What Windows makes of one element when it opens a path: trailing dots and spaces go.
std::wstring_view AsWindowsKeepsIt(std::wstring_view element) {
    while (!element.empty() && (element.back() == L'.' || element.back() == L' ')) {
        element.remove_suffix(1);
    }
    return element;
}

bool IsDevice(std::wstring_view element) {
    std::wstring stem;
    for (const wchar_t c : element) {
        if (c == L'.') {
            break;
        }
        stem += (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    }
    while (!stem.empty() && stem.back() == L' ') {
        stem.pop_back();
    }
    static const std::vector<std::wstring> devices = [] {
        std::vector<std::wstring> names{L"CON", L"PRN", L"AUX", L"NUL"};
        for (wchar_t digit = L'1'; digit <= L'9'; ++digit) {
            names.push_back(std::wstring(L"COM") + digit);
            names.push_back(std::wstring(L"LPT") + digit);
        }
        return names;
    }();
    for (const std::wstring& device : devices) {
        if (stem == device) {
            return true;
        }
    }
    return false;
}

bool IsForbidden(wchar_t c) {
    return static_cast<std::uint32_t>(c) < 0x20 || c == L'<' || c == L'>' || c == L':' ||
           c == L'"' || c == L'/' || c == L'\\' || c == L'|' || c == L'?' || c == L'*';
}

bool IsHigh(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Every high surrogate is followed by a low one and every low one follows a high one.
bool IsValidUtf16(std::wstring_view text) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (IsHigh(text[k]) && (k + 1 == text.size() || !IsLow(text[k + 1]))) {
            return false;
        }
        if (IsLow(text[k]) && (k == 0 || !IsHigh(text[k - 1]))) {
            return false;
        }
    }
    return true;
}

// Elements split at either separator, keeping empty ones, so that a missing name shows.
std::vector<std::wstring> RawElements(std::wstring_view path) {
    std::vector<std::wstring> elements(1);
    for (const wchar_t c : path) {
        if (c == L'\\' || c == L'/') {
            elements.emplace_back();
        } else {
            elements.back() += c;
        }
    }
    return elements;
}

void CheckAccepted(std::wstring_view folder, std::wstring_view name) {
    Require(!name.empty());
    std::vector<std::wstring> elements;
    if (!folder.empty()) {
        Require(folder.front() != L'\\' && folder.front() != L'/');
        for (std::wstring& element : RawElements(folder)) {
            if (!element.empty()) {
                elements.push_back(std::move(element));
            }
        }
    }
    elements.emplace_back(name);
    for (const std::wstring& element : elements) {
        Require(!element.empty());
        Require(AsWindowsKeepsIt(element) == element);
        Require(element != L"." && element != L"..");
        for (const wchar_t c : element) {
            Require(!IsForbidden(c));
        }
        Require(!IsDevice(element));
        Require(IsValidUtf16(element));
    }

    const std::wstring base = L"C:\\Users\\u\\AppData\\Local\\W";
    const std::wstring record = folder.empty() ? std::wstring(name) : JoinPath(folder, name);
    const std::wstring relative = LexicalRelativePath(JoinPath(base, record), base);
    const std::vector<std::wstring_view> joined = PathElements(relative);
    Require(joined.size() == elements.size());
    for (std::size_t k = 0; k < joined.size(); ++k) {
        Require(joined[k] == elements[k]);
    }
    Require(FinalPathElement(record) == name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wstring folder;
    std::wstring name;
    bool inName = false;
    for (std::size_t k = 0; k + 1 < size; k += 2) {
        const auto unit = static_cast<wchar_t>(data[k] | data[k + 1] << 8);
        if (unit == 0xFFFF && !inName) {
            inName = true;
            continue;
        }
        (inName ? name : folder) += unit;
    }
    if (!inName) {
        name.swap(folder);
    }

    const std::string reason = UnsafeRecordPathReason(folder, name);
    if (reason.empty()) {
        CheckAccepted(folder, name);
    } else {
        Require(reason.starts_with("the name ") || reason.starts_with("a folder element ") ||
                reason == "the folder starts with a separator");
    }
    return 0;
}
