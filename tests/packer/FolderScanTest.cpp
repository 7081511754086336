// The folder scan's letter-case folding, which finds names Windows would take for one.
#include "Packer/FolderScan.h"

#include <gtest/gtest.h>

namespace {

TEST(PayloadNames, FoldsLetterCaseAsWindowsDoes) {
    EXPECT_EQ(FoldNameCase(L"Abc\u00E9\u00FF\u0436"), L"ABC\u00C9\u0178\u0416");
}

}  // namespace
