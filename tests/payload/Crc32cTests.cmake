# crc32c_test: every CRC-32C entry point against the same vectors (host, and Windows under Wine).
nimbrel_add_gtest(crc32c_test
    SOURCES Crc32cTest.cpp
    LIBS nimbrel_crc32c nimbrel_test_bytes)
