// Asks the four sources of the local application-data directory. Paths are kept as the sources
// spell them; two spellings that are the same path (ComparePaths) count once, the first kept.
#include "Launcher/workdir/CandidateDirectories.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <array>
#include <cwchar>

#include "Launcher/base/PathRules.h"

namespace {

constexpr DWORD SourceBufferLength = 2048;

void AddCandidate(std::vector<std::wstring>& candidates, std::wstring path) {
    if (path.empty()) {
        return;
    }
    for (const std::wstring& known : candidates) {
        if (ComparePaths(known, path) == 0) {
            return;
        }
    }
    candidates.push_back(std::move(path));
}

std::wstring BufferText(const std::array<wchar_t, SourceBufferLength>& buffer) {
    return std::wstring(buffer.data(), wcsnlen(buffer.data(), buffer.size()));
}

}  // namespace

std::vector<std::wstring> CollectCandidateDirectories() {
    std::vector<std::wstring> candidates;

    std::array<wchar_t, SourceBufferLength> buffer{};
    if (GetEnvironmentVariableW(L"LOCALAPPDATA", buffer.data(), SourceBufferLength) != 0) {
        AddCandidate(candidates, BufferText(buffer));
    }

    buffer.fill(L'\0');
    if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                         buffer.data()) == S_OK) {
        AddCandidate(candidates, BufferText(buffer));
    }

    buffer.fill(L'\0');
    if (SHGetSpecialFolderPathW(nullptr, buffer.data(), CSIDL_LOCAL_APPDATA, FALSE) == TRUE) {
        AddCandidate(candidates, BufferText(buffer));
    }

    PWSTR known = nullptr;
    if (SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known) == S_OK &&
        known != nullptr) {
        AddCandidate(candidates, known);
    }
    // The caller frees the string whatever the result.
    CoTaskMemFree(known);

    candidates.reserve(candidates.size() + 1);
    std::sort(candidates.begin(), candidates.end(),
              [](const std::wstring& a, const std::wstring& b) { return ComparePaths(a, b) < 0; });
    return candidates;
}
