// The size rule on payload descriptions: the starts measured under 32-bit Wine on either side of
// each budget and of the largest blocks, and a payload that compresses to nothing but
// decompresses to gigabytes.
#include <sstream>

#include "Packer/cli/PayloadChecks.h"
#include "tests/packer/PackerTestSupport.h"

namespace {

constexpr std::uint64_t MB = 1'000'000;

struct BudgetCase {
    const char* name;
    std::uint64_t image;
    PayloadTotals totals;
    bool largeAddressAware;
    const char* warning;  // nullptr: it fits
};

class StartMemoryRule : public ::testing::TestWithParam<BudgetCase> {};

TEST_P(StartMemoryRule, WarnsNamingBothFiguresOnlyAboveTheBudget) {
    const BudgetCase& row = GetParam();
    std::ostringstream err;
    EXPECT_EQ(WarnAboutStartMemory("check", row.image, row.totals, row.largeAddressAware, err),
              row.warning == nullptr);
    if (row.warning == nullptr) {
        EXPECT_EQ(err.str(), "");
    } else {
        EXPECT_PRED_FORMAT2(::testing::IsSubstring, row.warning, err.str());
        EXPECT_PRED_FORMAT2(::testing::IsSubstring, "embed refuses this payload", err.str());
    }
}

// Files that do not compress: the image holds them all, a start decompresses them all and
// copies the largest.
PayloadTotals Incompressible(std::uint64_t megabytes, std::uint64_t largest = 100) {
    return {megabytes / 100, megabytes * MB, megabytes * MB, largest * MB, largest * MB};
}

constexpr const char* OverSmall = "than the 1650 MB a 32-bit launcher has";
constexpr const char* OverLarge = "than the 3600 MB a 32-bit launcher has";
constexpr const char* NoBlock = "do not fit the free blocks of 1900 MB, 1000 MB and 550 MB";

INSTANTIATE_TEST_SUITE_P(
    Payloads, StartMemoryRule,
    ::testing::Values(
        BudgetCase{"Started700WithoutTheFlag", 702 * MB, Incompressible(700), false, nullptr},
        BudgetCase{"Failed800WithoutTheFlag", 802 * MB, Incompressible(800), false, OverSmall},
        BudgetCase{"Started1600WithTheFlag", 1602 * MB, Incompressible(1600), true, nullptr},
        BudgetCase{"JustBelowTheBudget", 1701 * MB, Incompressible(1699), true, nullptr},
        BudgetCase{"JustAboveTheBudget", 1701 * MB, Incompressible(1700), true, OverLarge},
        BudgetCase{"FourGigabytesOfZeros",
                   2 * MB,
                   {2, 4096 * MB, MB / 5, 2048 * MB, MB / 10},
                   true,
                   OverLarge},
        BudgetCase{"OneFileOf900", 902 * MB, Incompressible(900, 900), true, nullptr},
        BudgetCase{"FailedOneFileOf1050", 1052 * MB, Incompressible(1050, 1050), true, NoBlock},
        BudgetCase{"FailedAFileOf900BesideOthers", 1292 * MB, Incompressible(1290, 900), true,
                   NoBlock}),
    NamedByParam);

}  // namespace
