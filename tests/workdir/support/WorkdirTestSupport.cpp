// Test helpers for the working-directory suites; Windows only.
#include "tests/workdir/support/WorkdirTestSupport.h"

#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <deque>
#include <string>

#include "Launcher/base/PathRules.h"
#include "Launcher/payload/Crc32c.h"
#include "Launcher/workdir/FileSystem.h"
#include "tests/support/ZstdFrame.h"

Bytes TextBytes(const char* text) {
    return Bytes(text, text + std::strlen(text));
}

void MakeDirectories(const std::wstring& path) {
    const int result = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS) << path;
}

void AddAttributes(const std::wstring& path, unsigned long attributes) {
    const DWORD current = GetFileAttributesW(path.c_str());
    ASSERT_NE(current, INVALID_FILE_ATTRIBUTES) << path;
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), (current & ~FILE_ATTRIBUTE_NORMAL) | attributes))
        << path;
}

std::uint64_t LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::shared_ptr<PayloadEntry> MakeEntry(const std::wstring& folder, const std::wstring& name,
                                        const Bytes& bytes, std::int32_t index) {
    static std::deque<Bytes> frames;
    const Bytes& frame = frames.emplace_back(CompressFrame(bytes));
    auto entry = std::make_shared<PayloadEntry>();
    entry->compressedData = frame.data();
    entry->compressedSize = static_cast<std::int32_t>(frame.size());
    entry->compressedCrc = Crc32c(0, frame.data(), frame.size());
    entry->index = index;
    entry->folder = folder;
    entry->name = name;
    entry->relativePath = folder.empty() ? name : JoinPath(folder, name);
    entry->contentSize = static_cast<std::int32_t>(bytes.size());
    entry->contentCrc = Crc32c(0, bytes.data(), bytes.size());
    return entry;
}

namespace {

using UnixNameFunction = char*(__cdecl*)(const wchar_t*);

std::string UnixName(UnixNameFunction toUnix, const std::wstring& path) {
    char* name = toUnix(path.c_str());
    if (name == nullptr) {
        return {};
    }
    std::string copy(name);
    HeapFree(GetProcessHeap(), 0, name);
    return copy;
}

// Tells whether the folder listing holds path's entry; unlike the attributes, this sees a
// broken link too.
bool IsListed(const std::wstring& path) {
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(find);
    return true;
}

// Runs a host program under Wine and waits until path exists (or no longer exists): Wine starts
// host programs but cannot wait for them.
bool RunHostProgram(const wchar_t* program, std::wstring command, const std::wstring& path,
                    bool untilExists) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (IsListed(path) == untilExists) {
            return true;
        }
        Sleep(50);
    }
    return false;
}

UnixNameFunction WineUnixName() {
    return reinterpret_cast<UnixNameFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

std::wstring Quoted(const std::string& text) {
    return L"\"" + std::wstring(text.begin(), text.end()) + L"\"";
}

}  // namespace

bool MakeDirectoryLink(const std::wstring& target, const std::wstring& link) {
    const UnixNameFunction toUnix = WineUnixName();
    if (toUnix == nullptr) {
        return CreateSymbolicLinkW(link.c_str(), target.c_str(),
                                   SYMBOLIC_LINK_FLAG_DIRECTORY |
                                       SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0;
    }
    // Wine 8 creates nothing for CreateSymbolicLinkW, so the link is made on the host side.
    const std::string unixTarget = UnixName(toUnix, target);
    const std::string unixLink = UnixName(toUnix, link);
    if (unixTarget.empty() || unixLink.empty()) {
        return false;
    }
    return RunHostProgram(
        L"Z:\\bin\\ln", L"/bin/ln -s " + Quoted(unixTarget) + L" " + Quoted(unixLink), link, true);
}

bool RemoveDirectoryLink(const std::wstring& link) {
    const UnixNameFunction toUnix = WineUnixName();
    if (toUnix == nullptr) {
        return RemoveDirectoryW(link.c_str()) != 0;
    }
    // Wine 8 can neither delete nor rename a host link to a directory.
    const std::string unixLink = UnixName(toUnix, link);
    return !unixLink.empty() &&
           RunHostProgram(L"Z:\\bin\\rm", L"/bin/rm -f " + Quoted(unixLink), link, false);
}
