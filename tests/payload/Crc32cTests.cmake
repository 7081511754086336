# checksum tests
