// A read-only run of bytes that something else owns: a resource of the loaded module, or a
// buffer in a test. Sizes are signed 32-bit because the payload format counts that way.
#pragma once

#include <cstdint>

struct ByteView {
    const std::uint8_t* data = nullptr;
    std::int32_t size = 0;
};

// The two embedded resources, as the loader found them.
struct PayloadViews {
    ByteView manifest;
    ByteView blob;
};
