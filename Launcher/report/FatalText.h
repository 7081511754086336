// The texts of the warning box and the layout of the three-part error code. Portable, so the
// host tests and nimbrel-pack's check can produce exactly what a user sees.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "Launcher/payload/PayloadCodes.h"

extern const std::wstring_view FatalBoxTitle;
extern const std::wstring_view WriteFileFailedText;         // one placeholder: the file's path
extern const std::wstring_view StartApplicationFailedText;  // one placeholder: the exe's path
extern const std::wstring_view WorkingDirectoryInaccessibleText;
extern const std::wstring_view ResourcesCorruptText;  // three placeholders, then the URL

// Fills each "{}" of the template with the next value, in order. A template with more
// placeholders than values keeps the extra ones as they stand; extra values are ignored.
std::wstring FillTemplate(std::wstring_view text, std::initializer_list<std::wstring_view> values);

// Gives the corrupt-resources message for an error code: stages 2 and 4 show their two checksums
// unsigned, every other stage shows signed values.
std::wstring ResourcesCorruptMessage(const StageError& error);

// Gives the error code alone, "stage.first.second", laid out as in the message.
std::wstring StageErrorText(const StageError& error);
