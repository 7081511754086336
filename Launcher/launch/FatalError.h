// Ends a launch with one warning box and exit code -100. Runs on the launch thread only. Each
// form sets ErrorBoxShown first, fills the template, shows the box (blocking until it is closed),
// clears LaunchInProgress, releases the launcher mutex and exits; none returns.
#pragma once

#include <cstdint>
#include <string_view>

#include "payload/PayloadCodes.h"

[[noreturn]] void ReportFatalError(std::wstring_view text);
[[noreturn]] void ReportFatalError(std::wstring_view text, std::wstring_view path);
[[noreturn]] void ReportFatalError(std::wstring_view text, std::int32_t stage, std::int32_t first,
                                   std::int32_t second);
[[noreturn]] void ReportFatalError(std::wstring_view text, std::int32_t stage,
                                   std::uint32_t computed, std::uint32_t stored);

// Reports a three-part code in the form its stage calls for.
[[noreturn]] void ReportStageError(const StageError& error);
