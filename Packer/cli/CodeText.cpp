// The tool's text for checksums and error codes; the error code's layout is the launcher's own.
#include "Packer/cli/CodeText.h"

#include <cstdio>

#include "Launcher/base/Utf16.h"
#include "Launcher/report/FatalText.h"

std::string Hex32(std::uint32_t value) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

std::string ErrorCodeWithName(const StageError& error) {
    const std::string code = Utf16ToUtf8(StageErrorText(error));
    if (error.stage == LaunchStage::LoadResources) {
        return code + " (" + PayloadCode::Name(static_cast<std::int32_t>(error.first)) + ")";
    }
    if (error.stage >= LaunchStage::ParseRecord) {
        // These stages carry the code negated, as a positive number.
        return code + " (" + PayloadCode::Name(static_cast<std::int32_t>(0u - error.second)) + ")";
    }
    return code;
}
