// One zstd frame made with the full library, as the packer makes them, for tests that need
// compressed payload data. Portable.
#pragma once

#include "tests/support/TestBytes.h"

// Compresses bytes into one zstd frame with its content size in the header; throws
// std::runtime_error when zstd fails.
Bytes CompressFrame(const Bytes& bytes, int level = 3);
