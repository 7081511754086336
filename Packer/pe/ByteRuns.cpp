// Runs of bytes written one after another.
#include "Packer/pe/ByteRuns.h"

#include <utility>

void AppendView(ByteRuns& runs, std::span<const std::uint8_t> bytes) {
    if (!bytes.empty()) {
        runs.runs.push_back(bytes);
    }
}

std::vector<std::uint8_t>& AppendOwned(ByteRuns& runs, std::vector<std::uint8_t> bytes) {
    std::vector<std::uint8_t>& kept = runs.owned.emplace_back(std::move(bytes));
    AppendView(runs, kept);
    return kept;
}

std::uint64_t RunsSize(const ByteRuns& runs) {
    std::uint64_t size = 0;
    for (const auto run : runs.runs) {
        size += run.size();
    }
    return size;
}

std::vector<std::uint8_t> Flatten(const ByteRuns& runs) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(RunsSize(runs)));
    for (const auto run : runs.runs) {
        bytes.insert(bytes.end(), run.begin(), run.end());
    }
    return bytes;
}
