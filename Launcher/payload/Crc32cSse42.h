// Internal to the checksum: lets the dispatcher learn whether the hardware entry point was built
// with the crc32 instruction or is the portable fallback (non-x86 target or compiler).
#pragma once

// Tells whether Crc32cHardware uses the crc32 instruction; false when it is the portable form.
bool Crc32cHardwareCompiled();
