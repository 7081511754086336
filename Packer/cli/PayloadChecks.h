// The checks a start makes on a payload, as check and embed run them: embed refuses a payload that
// check would refuse, in the same words. And the rule on what a first start holds in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string_view>

#include "Launcher/payload/ByteView.h"
#include "Packer/payload/StartMemory.h"

// Checks views as a start would (both checksums, the count, every record, every entry
// decompressed) and rejects record paths a start refuses and paths that differ only in letter
// case. Prints the first failure and any warning on err under the name of command. Returns
// PackExit::Ok with totals set, or PackExit::Rejected.
int CheckPayload(std::string_view command, const PayloadViews& views, PayloadTotals& totals,
                 std::ostream& err);

// What the size rule needs of a 32-bit launcher's headers.
struct LauncherImage {
    std::uint64_t size = 0;  // SizeOfImage, the payload included
    bool largeAddressAware = false;
};

// Reads the image size and the large-address-aware flag from the headers at the start of exe.
// Gives nothing for a 64-bit launcher, which has no such limit, or headers that do not read.
std::optional<LauncherImage> ImageOf32BitLauncher(std::span<const std::uint8_t> exe);

// Prints a warning on err under the name of command when a first start of a 32-bit launcher
// whose image takes imageBytes, carrying a payload of totals, needs more than the budget of a
// launcher with or without the large-address-aware flag, or its largest blocks do not fit.
// Returns whether it fits.
bool WarnAboutStartMemory(std::string_view command, std::uint64_t imageBytes,
                          const PayloadTotals& totals, bool largeAddressAware, std::ostream& err);
