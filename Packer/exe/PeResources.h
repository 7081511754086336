// Finds the payload resources in a built launcher by reading its PE file directly, so that a
// launcher can be listed and checked on a machine that cannot load it. Portable code: a bounds-
// checked walk of the section table and the three-level resource tree.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Launcher/payload/ByteView.h"

struct ExePayload {
    std::int32_t loaderCode = 0;  // 0, or what the launcher's loader would return (1-4, 11-14)
    PayloadViews views;           // into the file's bytes; set when loaderCode is 0
    std::vector<std::string> warnings;  // such as a resource found in another language only
};

// Locates the RT_RCDATA manifest and blob (Launcher/base/ResourceIds.h) in the PE image held in
// file. A resource that is absent gives 1 or 11; one whose bytes lie outside the file gives 2 or
// 12; one that is empty or shorter than its header gives 4 or 14. When the launcher's language
// is missing, the first language present is used, as the loader's own lookup would, with a
// warning. Returns false with error when file is not a PE image at all.
bool FindPayloadInExe(std::span<const std::uint8_t> file, ExePayload& payload, std::string& error);
