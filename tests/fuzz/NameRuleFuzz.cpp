// libFuzzer target over the rule for a safe record path. The input is a record's folder and name
// as UTF-16 code units (low byte first), split at the first 0xFFFF unit. The rule must accept
// exactly the paths that the oracle written from Windows' documentation accepts, less those with
// a folder named as the settings file; an accepted path joined onto a working folder must stay
// below it with the same elements.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Launcher/base/PathRules.h"
#include "tests/fuzz/Require.h"
#include "tests/support/WindowsNameOracle.h"

namespace {

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

// Tells whether a folder element is the settings file's name in any letter case: the rule refuses
// such a folder, which Windows itself would keep. The name is ASCII, and no other unit has an
// ASCII letter for its uppercase form.
bool HasSettingsFolder(std::wstring_view folder) {
    for (std::wstring element : RawElements(folder)) {
        for (wchar_t& c : element) {
            c = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
        }
        if (element == L"CONFIG.INI") {
            return true;
        }
    }
    return false;
}

void CheckAccepted(std::wstring_view folder, std::wstring_view name) {
    std::vector<std::wstring> elements;
    for (std::wstring& element : RawElements(folder)) {
        if (!element.empty()) {
            elements.push_back(std::move(element));
        }
    }
    elements.emplace_back(name);

    // Joined below the working folder, the record adds exactly its own elements to the folder's.
    const std::wstring base = L"C:\\Users\\u\\AppData\\Local\\W";
    const std::wstring record = folder.empty() ? std::wstring(name) : JoinPath(folder, name);
    std::vector<std::wstring_view> expected = PathElements(base);
    expected.insert(expected.end(), elements.begin(), elements.end());
    Require(PathElements(JoinPath(base, record)) == expected);
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
    Require(reason.empty() == (WindowsKeepsRecordPath(folder, name) && !HasSettingsFolder(folder)));
    if (reason.empty()) {
        CheckAccepted(folder, name);
    } else {
        Require(reason.starts_with("the name ") || reason.starts_with("a folder element ") ||
                reason == "the folder starts with a separator");
    }
    return 0;
}
