// The box texts are what users read out to support: every character counts, and the code's
// numbers must come out signed or unsigned by stage.
#include "Launcher/report/FatalText.h"

#include <gtest/gtest.h>

#include <climits>

#include "Launcher/report/WebsiteUrl.h"

namespace {

const std::wstring Advice =
    L"\r\n\r\nTry restart Nimbrel Hub with administrator privileges or check your antivirus "
    L"software settings.";

TEST(FatalTexts, FileFailuresShowThePathBetweenQuotesOnItsOwnLine) {
    EXPECT_EQ(FillTemplate(WriteFileFailedText, {L"C:\\Users\\A B\\Nimbrel\\x.dll"}),
              L"Could not launch Nimbrel Hub:\r\n - Write file failed.\r\nFile:\r\n"
              L"'C:\\Users\\A B\\Nimbrel\\x.dll'" +
                  Advice);
    EXPECT_EQ(FillTemplate(StartApplicationFailedText, {L"C:\\N\\Nimbrel.exe"}),
              L"Could not launch Nimbrel Hub:\r\n - Start application failed.\r\nFile:\r\n"
              L"'C:\\N\\Nimbrel.exe'" +
                  Advice);
}

TEST(FatalTexts, WorkingDirectoryInaccessibleHasNoPlaceholder) {
    EXPECT_EQ(
        FillTemplate(WorkingDirectoryInaccessibleText, {}),
        L"Could not launch Nimbrel Hub:\r\n - Program working directory inaccessible." + Advice);
}

TEST(FatalTexts, ResourcesCorruptEndsWithTheWebsiteAndNoLineBreak) {
    const std::wstring message = ResourcesCorruptMessage({1, 1, 0});
    EXPECT_EQ(
        message,
        L"Could not launch Nimbrel Hub:\r\n - Embedded resources corrupt.\r\nError code: "
        L"1.1.0\r\n\r\nTry re-download from our official website:\r\n" LAUNCHER_WEBSITE_URL_W);
    EXPECT_NE(message.back(), L'\n');
    EXPECT_EQ(FatalBoxTitle, L"Nimbrel Hub");
}

// Signed stages show negative details; the checksum stages show the same bits unsigned.
TEST(ErrorCodeLayout, ShowsDetailsSignedExceptInTheChecksumStages) {
    EXPECT_EQ(StageErrorText(SignedStageError(3, -1, 0)), L"3.-1.0");
    EXPECT_EQ(StageErrorText(SignedStageError(5, 3, 10)), L"5.3.10");
    EXPECT_EQ(StageErrorText(SignedStageError(3, INT_MIN, 0)), L"3.-2147483648.0");
    EXPECT_EQ(StageErrorText(SignedStageError(7, INT_MAX, 14)), L"7.2147483647.14");
    EXPECT_EQ(StageErrorText({2, 0xFFFFFFFFu, 0x80000000u}), L"2.4294967295.2147483648");
    EXPECT_EQ(StageErrorText({4, 0u, 0xE3069283u}), L"4.0.3808858755");
    EXPECT_EQ(StageErrorText({6, 0xFFFFFFFFu, 12}), L"6.-1.12");
}

TEST(TemplateFilling, FillsPlaceholdersInOrderAndKeepsUnfilledOnes) {
    EXPECT_EQ(FillTemplate(L"{}.{}.{}", {L"a", L"b", L"c"}), L"a.b.c");
    EXPECT_EQ(FillTemplate(L"x{}y{}", {L"1"}), L"x1y{}");
    EXPECT_EQ(FillTemplate(L"no fields", {L"1"}), L"no fields");
    // A value that itself holds "{}" is not filled again.
    EXPECT_EQ(FillTemplate(L"{}-{}", {L"{}", L"2"}), L"{}-2");
}

}  // namespace
