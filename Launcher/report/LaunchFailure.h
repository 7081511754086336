// What made a launch fail, as a value: the working folder's code and the start of the main
// application return it, and only the launch sequence turns it into the warning box and the exit
// code. Portable, so that the synchronisation's failures can be tested without ending a process.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "Launcher/payload/PayloadCodes.h"

struct LaunchFailure {
    std::optional<StageError> code;  // a corrupt-resources failure: the three-part code
    std::wstring_view text;          // otherwise the message, with one placeholder ...
    std::wstring path;               // ... filled with this path
};

// Gives the corrupt-resources failure with error's three-part code.
inline LaunchFailure StageFailure(const StageError& error) {
    return {error, {}, {}};
}

// Gives the failure whose message is text with its placeholder filled with path.
inline LaunchFailure PathFailure(std::wstring_view text, std::wstring path) {
    return {std::nullopt, text, std::move(path)};
}
