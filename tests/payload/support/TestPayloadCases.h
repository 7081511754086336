// The named payloads that end-to-end tests and the seed corpus are built from: one good payload
// and one for each check the launcher makes, with the code each must make it report. Listed in
// one place so that the tool's --help, the e2e suites and the corpus agree.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Launcher/payload/PayloadCodes.h"
#include "tests/payload/support/TestPayload.h"

struct TestPayloadCase {
    std::string_view name;
    std::string_view description;
    TestPayloadBytes bytes;
    std::optional<StageError> expected;  // the code a start into an empty folder shows, if any
    std::optional<std::size_t> refused = std::nullopt;  // a record whose unsafe path is refused
};

// Builds every case; the same bytes on every run and platform with the same zstd.
std::vector<TestPayloadCase> BuildTestPayloadCases();

// Formats a code as the box shows it: stage.first.second, signed except for stages 2 and 4.
std::string FormatStageError(const StageError& error);
