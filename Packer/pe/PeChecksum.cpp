// PE checksum. Words are summed in 64 bits (a file below 4 GiB cannot overflow that) and the
// carries folded back in at the end, which gives the same one's-complement sum as folding after
// every word. An odd last byte counts as a word whose high byte is zero. A run may start at an
// odd position of the file: each byte is added as the low or high half of its word.
#include "Packer/pe/PeChecksum.h"

std::uint32_t PeChecksum(std::span<const std::uint8_t> file, std::uint32_t checkSumOffset) {
    return PeChecksum(std::vector<std::span<const std::uint8_t>>{file}, checkSumOffset);
}

std::uint32_t PeChecksum(const std::vector<std::span<const std::uint8_t>>& runs,
                         std::uint32_t checkSumOffset) {
    std::uint64_t sum = 0;
    std::uint64_t at = 0;
    for (const auto run : runs) {
        for (const std::uint8_t byte : run) {
            const bool inField = at >= checkSumOffset && at - checkSumOffset < 4;
            if (!inField) {
                sum += std::uint64_t{byte} << (8 * (at & 1));
            }
            ++at;
        }
    }
    while (sum > 0xFFFF) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<std::uint32_t>(sum + at);
}
