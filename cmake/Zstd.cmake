# zstd as static libraries: the decoder alone (lib/common + lib/decompress) for the launcher, the
# whole library for the packer. Built from the checked source that scripts/setup unpacks, or taken
# from the system (NIMBREL_USE_SYSTEM_ZSTD) for builds that bring their own, such as vcpkg.
option(NIMBREL_USE_SYSTEM_ZSTD "Use an installed zstd instead of the unpacked source" OFF)
set(NIMBREL_ZSTD_SOURCE_DIR "${PROJECT_SOURCE_DIR}/.cache/zstd-1.5.7" CACHE PATH
    "zstd source folder holding lib/")

if(NIMBREL_USE_SYSTEM_ZSTD)
    find_package(zstd CONFIG REQUIRED)
    if(TARGET zstd::libzstd_static)
        set(_zstd zstd::libzstd_static)
    else()
        set(_zstd zstd::libzstd_shared)
    endif()
    add_library(nimbrel_zstd_decoder INTERFACE)
    target_link_libraries(nimbrel_zstd_decoder INTERFACE ${_zstd})
    add_library(nimbrel_zstd INTERFACE)
    target_link_libraries(nimbrel_zstd INTERFACE ${_zstd})
    return()
endif()

set(_lib "${NIMBREL_ZSTD_SOURCE_DIR}/lib")
if(NOT EXISTS "${_lib}/zstd.h")
    message(FATAL_ERROR "zstd source not found in ${NIMBREL_ZSTD_SOURCE_DIR}; run scripts/setup")
endif()
file(GLOB _zstd_common "${_lib}/common/*.c")
file(GLOB _zstd_decompress "${_lib}/decompress/*.c")
file(GLOB _zstd_compress "${_lib}/compress/*.c")

function(_nimbrel_zstd_target name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} SYSTEM PUBLIC "${_lib}")
    # No assembly fast path: the i686 and MSVC builds cannot use the x86-64 Huffman decoder.
    target_compile_definitions(${name} PRIVATE ZSTD_DISABLE_ASM XXH_NAMESPACE=ZSTD_)
    set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
    if(NOT MSVC)
        target_compile_options(${name} PRIVATE -O3 -w)
    endif()
endfunction()

_nimbrel_zstd_target(nimbrel_zstd_decoder ${_zstd_common} ${_zstd_decompress})
target_compile_definitions(nimbrel_zstd_decoder PRIVATE ZSTD_LEGACY_SUPPORT=0 ZSTD_NO_TRACE)
_nimbrel_zstd_target(nimbrel_zstd ${_zstd_common} ${_zstd_decompress} ${_zstd_compress})
target_compile_definitions(nimbrel_zstd PRIVATE ZSTD_LEGACY_SUPPORT=0 ZSTD_NO_TRACE
    ZSTD_MULTITHREAD)
find_package(Threads REQUIRED)
target_link_libraries(nimbrel_zstd PUBLIC Threads::Threads)
