// What made a launch fail, as a value: only the launch sequence turns it into the warning box and
// the exit code, so the code that fails can be tested without ending a process. Portable.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Launcher/payload/PayloadCodes.h"

struct LaunchFailure {
    std::optional<StageError> code;  // a corrupt-resources failure: the three-part code
    std::wstring_view text;          // otherwise the message, its placeholder (if any) ...
    std::wstring path;               // ... filled with this path
};

inline LaunchFailure StageFailure(const StageError& error) {
    return {error, {}, {}};
}

inline LaunchFailure PathFailure(std::wstring_view text, std::wstring path = {}) {
    return {std::nullopt, text, std::move(path)};
}
