// The checks the launcher makes on its payload before it touches the working directory, in their
// fixed order: manifest checksum, record count, blob checksum, then every record. Shared by the
// launch and by nimbrel-pack's check, so both report the same code for the same fault.
#pragma once

#include <cstdint>
#include <optional>

#include "Launcher/payload/ByteView.h"
#include "Launcher/payload/PayloadCodes.h"
#include "Launcher/payload/PendingEntries.h"

// Verifies both resources and parses every record into entries (the first of two equal keys
// wins). Returns the first failure as its three-part code (stages 2 to 5), or nothing; entries
// then holds the records parsed before it. A manifest shorter than 8 bytes or a blob shorter
// than 4 is rejected before any header field is read, as stage 1 with the loader's code 4 or 14.
std::optional<StageError> VerifyAndParsePayload(const PayloadViews& views, PendingEntries& entries);

// Gives the checksum of everything after the checksum word of a view that holds one.
std::uint32_t ChecksumAfterHeader(const ByteView& view);
