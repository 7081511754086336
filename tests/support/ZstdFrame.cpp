#include "tests/support/ZstdFrame.h"

#include <stdexcept>

#include <zstd.h>

Bytes CompressFrame(const Bytes& bytes, int level) {
    Bytes frame(ZSTD_compressBound(bytes.size()));
    const std::size_t size =
        ZSTD_compress(frame.data(), frame.size(), bytes.data(), bytes.size(), level);
    if (ZSTD_isError(size)) {
        throw std::runtime_error(ZSTD_getErrorName(size));
    }
    frame.resize(size);
    return frame;
}
