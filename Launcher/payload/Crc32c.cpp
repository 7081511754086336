// Chooses between the hardware and the portable CRC-32C at run time. The CPU is asked once; the
// answer is cached for the life of the process.
#include "Launcher/payload/Crc32c.h"
#include "Launcher/payload/Crc32cSse42.h"

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <intrin.h>
#define NIMBREL_CPUID_MSVC 1
#elif (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#define NIMBREL_CPUID_GNU 1
#endif

namespace {

constexpr unsigned kSse42Bit = 1u << 20;  // CPUID leaf 1, ECX

// Reports whether the CPU has SSE4.2; false where there is no CPUID or it does not answer.
bool CpuHasSse42() {
#if defined(NIMBREL_CPUID_MSVC)
    int registers[4] = {};
    __cpuid(registers, 1);
    return (static_cast<unsigned>(registers[2]) & kSse42Bit) != 0;
#elif defined(NIMBREL_CPUID_GNU)
    unsigned eax = 0;
    unsigned ebx = 0;
    unsigned ecx = 0;
    unsigned edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) {
        return false;
    }
    return (ecx & kSse42Bit) != 0;
#else
    return false;
#endif
}

}  // namespace

bool Crc32cHardwareAvailable() {
    static const bool available = Crc32cHardwareCompiled() && CpuHasSse42();
    return available;
}

std::uint32_t Crc32c(std::uint32_t crc, const void* data, std::size_t length) {
    return Crc32cHardwareAvailable() ? Crc32cHardware(crc, data, length)
                                     : Crc32cPortable(crc, data, length);
}
