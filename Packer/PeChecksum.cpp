// PE checksum. Words are summed in 64 bits (a file below 4 GiB cannot overflow that) and the
// carries folded back in at the end, which gives the same one's-complement sum as folding after
// every word. An odd last byte counts as a word whose high byte is zero.
#include "Packer/PeChecksum.h"

std::uint32_t PeChecksum(std::span<const std::uint8_t> file, std::uint32_t checkSumOffset) {
    const std::size_t size = file.size();
    const auto byteAt = [&](std::size_t at) -> std::uint64_t {
        const bool inField = at >= checkSumOffset && at - checkSumOffset < 4;
        return at < size && !inField ? file[at] : 0;
    };
    std::uint64_t sum = 0;
    for (std::size_t at = 0; at < size; at += 2) {
        sum += byteAt(at) | byteAt(at + 1) << 8;
    }
    while (sum > 0xFFFF) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<std::uint32_t>(sum + size);
}
