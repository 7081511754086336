// Splitting and joining fuzz inputs.
#include "tests/fuzz/FuzzInput.h"

FuzzPayload DecodeFuzzInput(const std::uint8_t* data, std::size_t size) {
    FuzzPayload payload;
    if (size < 5) {
        return payload;
    }
    payload.flags = data[0];
    std::size_t manifestSize = static_cast<std::size_t>(data[1]) | std::size_t{data[2]} << 8 |
                               std::size_t{data[3]} << 16 | std::size_t{data[4]} << 24;
    const std::size_t rest = size - 5;
    if (manifestSize > rest) {
        manifestSize = rest;
    }
    payload.manifest.assign(data + 5, data + 5 + manifestSize);
    payload.blob.assign(data + 5 + manifestSize, data + size);
    return payload;
}

std::vector<std::uint8_t> EncodeFuzzInput(const FuzzPayload& payload) {
    std::vector<std::uint8_t> input = {payload.flags};
    const auto manifestSize = static_cast<std::uint32_t>(payload.manifest.size());
    for (int shift = 0; shift < 32; shift += 8) {
        input.push_back(static_cast<std::uint8_t>(manifestSize >> shift & 0xFF));
    }
    input.insert(input.end(), payload.manifest.begin(), payload.manifest.end());
    input.insert(input.end(), payload.blob.begin(), payload.blob.end());
    return input;
}
