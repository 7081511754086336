// Appends to the test log. Each line is converted to UTF-8 and written with one WriteFile call
// in append mode, so lines of two processes sharing a log never interleave.
#include "SampleApp/SampleLog.h"

#include <windows.h>

#include <string>

namespace {

std::wstring LogPath() {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableW(L"NIMBREL_SAMPLE_LOG", buffer, std::size(buffer));
    if (length == 0 || length >= std::size(buffer)) {
        return {};
    }
    return std::wstring(buffer, length);
}

std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

}  // namespace

void AppendLogLine(std::wstring_view line) {
    static const std::wstring path = LogPath();
    if (path.empty()) {
        return;
    }
    const std::string bytes = ToUtf8(line) + "\n";
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}
