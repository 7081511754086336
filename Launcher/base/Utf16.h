// Conversions between the host's UTF-8 text and the UTF-16 code units the payload stores. Every
// wide string here holds one UTF-16 code unit per wchar_t, on Windows and on the host alike, so
// that the launcher's path rules behave the same on both.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Converts UTF-8 to UTF-16 code units. Returns nothing when the text is not well-formed UTF-8
// (overlong forms, surrogates, truncated sequences, values past U+10FFFF).
std::optional<std::wstring> Utf8ToUtf16(std::string_view text);

// Converts UTF-16 code units to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::wstring_view text);

// Gives text as UTF-8 for a message, with each code unit below 0x20 shown as \xNN so that a
// name holding NUL or a line break stays visible and on one line.
std::string PrintableUtf8(std::wstring_view text);

// Gives a file-system name or path as UTF-16 code units. Returns nothing when a host name is
// not valid UTF-8 (such a name has no UTF-16 spelling).
std::optional<std::wstring> PathToUtf16(const std::filesystem::path& path);

// Gives a file-system name or path as UTF-8 for messages; undecodable bytes become U+FFFD.
std::string PathToUtf8(const std::filesystem::path& path);

// Makes a path from UTF-8 text, such as a command-line argument.
std::filesystem::path PathFromUtf8(std::string_view text);
