// A read-only run of bytes that something else owns: a resource of the loaded module, or a
// buffer in a test. Sizes are signed 32-bit because the payload format counts that way.
#pragma once

#include <cstdint>
#include <span>

struct ByteView {
    const std::uint8_t* data = nullptr;
    std::int32_t size = 0;
};

// The two embedded resources, as the loader found them.
struct PayloadViews {
    ByteView manifest;
    ByteView blob;
};

// Views two buffers that the caller keeps alive as the payload resources.
inline PayloadViews ViewsOf(std::span<const std::uint8_t> manifest,
                            std::span<const std::uint8_t> blob) {
    return {{manifest.data(), static_cast<std::int32_t>(manifest.size())},
            {blob.data(), static_cast<std::int32_t>(blob.size())}};
}
