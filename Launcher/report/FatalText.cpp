// Texts of the warning box and the error-code layout, kept apart from the box itself so that
// they can be checked on any machine.
#include "Launcher/report/FatalText.h"

#include "Launcher/report/WebsiteUrl.h"

const std::wstring_view FatalBoxTitle = L"Nimbrel Hub";

const std::wstring_view WriteFileFailedText =
    L"Could not launch Nimbrel Hub:\r\n - Write file failed.\r\nFile:\r\n'{}'\r\n\r\n"
    L"Try restart Nimbrel Hub with administrator privileges or check your antivirus software "
    L"settings.";

const std::wstring_view StartApplicationFailedText =
    L"Could not launch Nimbrel Hub:\r\n - Start application failed.\r\nFile:\r\n'{}'\r\n\r\n"
    L"Try restart Nimbrel Hub with administrator privileges or check your antivirus software "
    L"settings.";

const std::wstring_view WorkingDirectoryInaccessibleText =
    L"Could not launch Nimbrel Hub:\r\n - Program working directory inaccessible.\r\n\r\n"
    L"Try restart Nimbrel Hub with administrator privileges or check your antivirus software "
    L"settings.";

const std::wstring_view ResourcesCorruptText =
    L"Could not launch Nimbrel Hub:\r\n - Embedded resources corrupt.\r\nError code: {}.{}.{}\r\n"
    L"\r\nTry re-download from our official website:\r\n" LAUNCHER_WEBSITE_URL_W;

std::wstring FillTemplate(std::wstring_view text, std::initializer_list<std::wstring_view> values) {
    std::wstring result;
    result.reserve(text.size() + 64);
    auto next = values.begin();
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find(L"{}", at);
        if (open == std::wstring_view::npos || next == values.end()) {
            result.append(text.substr(at));
            break;
        }
        result.append(text.substr(at, open - at));
        result.append(*next++);
        at = open + 2;
    }
    return result;
}

namespace {

// Writes one detail of an error code: unsigned for the checksum stages, signed otherwise.
std::wstring DetailText(const StageError& error, std::uint32_t detail) {
    return IsChecksumStage(error.stage) ? std::to_wstring(detail)
                                        : std::to_wstring(static_cast<std::int32_t>(detail));
}

}  // namespace

std::wstring StageErrorText(const StageError& error) {
    return FillTemplate(L"{}.{}.{}", {std::to_wstring(error.stage), DetailText(error, error.first),
                                      DetailText(error, error.second)});
}

std::wstring ResourcesCorruptMessage(const StageError& error) {
    return FillTemplate(ResourcesCorruptText,
                        {std::to_wstring(error.stage), DetailText(error, error.first),
                         DetailText(error, error.second)});
}
