// Lays packed files out as the two payload resources: the manifest (checksum, count, one record
// per file) and the blob (checksum, then the frames back to back in record order from data
// offset 0). Portable; the caller decides the record order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Packer/payload/Compressor.h"

struct PayloadRecord {
    std::wstring folder;  // UTF-16 code units, elements joined with backslashes; may be empty
    std::wstring name;    // UTF-16 code units; never empty
    PackedFile packed;
};

struct PayloadBytes {
    std::vector<std::uint8_t> manifest;
    std::vector<std::uint8_t> blob;
};

// Builds both resources from records, in the given order, releasing each frame once it is in
// the blob so that the frames and the blob are not held twice. Returns false with error when
// there is no record or either resource would not fit the format's signed 32-bit sizes.
bool BuildPayload(std::vector<PayloadRecord> records, PayloadBytes& out, std::string& error);
