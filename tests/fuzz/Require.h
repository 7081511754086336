// The fuzz targets' check of a promise: a broken one aborts, so that libFuzzer keeps the input.
#pragma once

#include <cstdlib>

inline void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}
