#include <gtest/gtest.h>

#include <string>

#include "app/activity.h"
#include "platform/utf8.h"

namespace kvl {
namespace {

std::size_t Utf16Units(const std::string& text) {
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c = 0;
        EXPECT_TRUE(utf8::Next(text, pos, c)) << "a character cut in two at byte " << pos;
        units += utf8::Utf16Units(c);
    }
    return units;
}

// The balloon shows 255 UTF-16 units: the advice must be in them whatever the caption, and
// a caption cut short is cut between characters.
TEST(HigherRightsNotice, TheAdviceComesFirstAndALongCaptionIsCutBetweenCharacters) {
    const std::string shortOne = HigherRightsNotice("Setup", "C:\\Tools\\Setup.exe");
    EXPECT_EQ(
        shortOne.find("To have me act on the windows of Setup.exe, start me as administrator"), 0u);
    EXPECT_NE(shortOne.find("\"Setup\""), std::string::npos);

    // Each emoji is two units; a one-unit letter before them shifts the cut onto each half.
    for (const std::string lead : {"", "a"}) {
        std::string caption = lead;
        for (int k = 0; k < 200; ++k) caption += "\xF0\x9F\x98\x80";
        const std::string notice = HigherRightsNotice(caption, "C:\\Tools\\Setup.exe");
        SCOPED_TRACE(lead);
        EXPECT_LE(Utf16Units(notice), kBalloonTextLimit);
        EXPECT_GE(Utf16Units(notice), kBalloonTextLimit - 1);
        EXPECT_NE(notice.find("start me as administrator"), std::string::npos);
        EXPECT_NE(notice.find("\xE2\x80\xA6\" alone."), std::string::npos);
    }
    // Not even a file name as long as Windows allows pushes the advice out.
    const std::string notice = HigherRightsNotice("Setup", "C:\\" + std::string(250, 'x') + ".exe");
    EXPECT_LE(Utf16Units(notice), kBalloonTextLimit);
    EXPECT_NE(notice.find("start me as administrator"), std::string::npos);
}

}  // namespace
}  // namespace kvl
