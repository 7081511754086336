# nimbrel_crc32c: the CRC-32C checksum. Only Crc32cSse42.cpp is compiled with SSE4.2, in an object
# library of its own, so no other code picks up instructions that older CPUs lack.
include(CheckCXXCompilerFlag)

add_library(nimbrel_crc32c_sse42 OBJECT Crc32cSse42.cpp)
nimbrel_warnings(nimbrel_crc32c_sse42)
if(NOT MSVC AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86|x86)$")
    check_cxx_compiler_flag(-msse4.2 NIMBREL_HAVE_MSSE42)
    if(NIMBREL_HAVE_MSSE42)
        target_compile_options(nimbrel_crc32c_sse42 PRIVATE -msse4.2)
    endif()
endif()

add_library(nimbrel_crc32c STATIC
    Crc32c.cpp
    Crc32cPortable.cpp
    $<TARGET_OBJECTS:nimbrel_crc32c_sse42>)
nimbrel_warnings(nimbrel_crc32c)
