// How the tool writes checksums and the three-part error codes a launcher shows.
#pragma once

#include <cstdint>
#include <string>

#include "Launcher/payload/PayloadCodes.h"

// Gives value as 0x followed by eight upper-case hex digits.
std::string Hex32(std::uint32_t value);

// Gives the three-part code of a stage error as a launcher shows it and, beside it, the name of
// the payload code it carries ("5.3.11 (range past blob)"); the checksum and record-count stages
// carry none.
std::string ErrorCodeWithName(const StageError& error);
