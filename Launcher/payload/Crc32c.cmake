# nimbrel_crc32c
