// The UTF-8 and UTF-16 conversions every name goes through.
#include "Launcher/base/Utf16.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf16, RoundTripsEveryPlaneAndRejectsMalformedUtf8) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a, é, €, an emoji
    const auto wide = Utf8ToUtf16(text);
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(*wide, (std::wstring{L'a', 0xE9, 0x20AC, 0xD83D, 0xDE00}));
    EXPECT_EQ(Utf16ToUtf8(*wide), text);

    for (const char* bad :
         {"\xFF", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"}) {
        EXPECT_FALSE(Utf8ToUtf16(bad).has_value()) << bad;
    }
    EXPECT_EQ(Utf16ToUtf8(std::wstring{L'x', 0xD800}), "x\xEF\xBF\xBD");
}

}  // namespace
