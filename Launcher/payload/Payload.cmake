# The payload format, records, decompression and the rule that refuses a payload with an unsafe
# record path (portable, built on the host too) and, on Windows, the loader that finds the two
# resources in the running module.
add_library(nimbrel_payload STATIC
    ManifestRecords.cpp
    PayloadEntry.cpp
    PayloadVerify.cpp
    UnsafeRecords.cpp
)
target_link_libraries(nimbrel_payload PUBLIC nimbrel_crc32c nimbrel_pathrules
    PRIVATE nimbrel_zstd_decoder)
nimbrel_warnings(nimbrel_payload)

if(WIN32)
    add_library(nimbrel_payload_win STATIC PayloadResources.cpp)
    nimbrel_warnings(nimbrel_payload_win)
endif()
