// UTF-8 and UTF-16 by hand: the standard conversion facets are deprecated, and the rules are
// short. Strict on input (a name that does not decode is refused), lenient on output.
#include "Launcher/base/Utf16.h"

#include <cstdint>

namespace {

constexpr char32_t Replacement = 0xFFFD;

// Decodes one UTF-8 sequence at text[at], advancing at. Returns nothing on a malformed sequence
// (at is then left past its first byte).
std::optional<char32_t> DecodeOne(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<std::uint8_t>(text[at++]);
    if (lead < 0x80) {
        return lead;
    }
    int trail = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        trail = 1;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        trail = 2;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        trail = 3;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    for (int i = 0; i < trail; ++i) {
        if (at >= text.size()) {
            return std::nullopt;
        }
        const auto next = static_cast<std::uint8_t>(text[at]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        ++at;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    return value;
}

void AppendUtf16(std::wstring& out, char32_t value) {
    if (value < 0x10000) {
        out.push_back(static_cast<wchar_t>(value));
        return;
    }
    value -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (value >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (value & 0x3FF)));
}

void AppendUtf8(std::string& out, char32_t value) {
    if (value < 0x80) {
        out.push_back(static_cast<char>(value));
    } else if (value < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (value >> 6)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else if (value < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (value >> 12)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (value >> 18)));
        out.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    }
}

#ifndef _WIN32
std::string LenientUtf8(std::string_view text) {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        AppendUtf8(out, DecodeOne(text, at).value_or(Replacement));
    }
    return out;
}
#endif

}  // namespace

std::optional<std::wstring> Utf8ToUtf16(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const auto value = DecodeOne(text, at);
        if (!value) {
            return std::nullopt;
        }
        AppendUtf16(out, *value);
    }
    return out;
}

std::string Utf16ToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<char32_t>(text[i]) & 0xFFFF;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
            const auto low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? Replacement : unit);
    }
    return out;
}

std::string PrintableUtf8(std::wstring_view text) {
    std::string out;
    std::size_t plain = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && static_cast<std::uint32_t>(text[i]) >= 0x20) {
            continue;
        }
        out += Utf16ToUtf8(text.substr(plain, i - plain));
        if (i < text.size()) {
            constexpr char digits[] = "0123456789ABCDEF";
            const auto unit = static_cast<std::uint32_t>(text[i]);
            out += {'\\', 'x', digits[unit >> 4], digits[unit & 0xF]};
        }
        plain = i + 1;
    }
    return out;
}

#ifdef _WIN32

std::optional<std::wstring> PathToUtf16(const std::filesystem::path& path) {
    return path.native();
}

std::string PathToUtf8(const std::filesystem::path& path) {
    return Utf16ToUtf8(path.native());
}

#else

std::optional<std::wstring> PathToUtf16(const std::filesystem::path& path) {
    return Utf8ToUtf16(path.native());
}

std::string PathToUtf8(const std::filesystem::path& path) {
    return LenientUtf8(path.native());
}

#endif

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}
