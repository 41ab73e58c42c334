// The keyboard configuration: row values, the on/off switch, a missing file, Windows-1252 files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "keyboard/keyboard.h"
#include "media/display/display.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "tests/support/harness.h"

namespace {

const std::string bar = "\xC2\xA6";  // the separator, U+00A6
using Labels = std::vector<std::string>;

Viewer& readConfiguration(Viewer& v, const std::string& text) {
    v.layout.programFolder = makeTemporaryFolder("pagewell-keyboard");
    media::writeWholeFile(v.layout.programFolder + "Pagewell.ini", text);
    readKeyboardLayout(v);
    return v;
}

TEST(RowValue, FieldOneIsIgnoredAndOnlyTheRowsFieldsCount) {
    EXPECT_EQ(parseRowValue(bar + "a" + bar + "b", 3), (Labels{"a", "b"}));
    EXPECT_EQ(parseRowValue("a" + bar + "b" + bar + "c", 3), (Labels{"b", "c"}));  // no leading bar
    std::string twenty;
    for (int i = 2; i <= 20; ++i) twenty += bar + "k" + std::to_string(i);
    const Labels row1 = parseRowValue(twenty, 15);
    ASSERT_EQ(row1.size(), 14u);
    EXPECT_EQ(row1.back(), "k15");
    EXPECT_EQ(parseRowValue(bar + "  Tab  " + bar + "\tx " + bar + bar + "a b", 6),
              (Labels{"Tab", "x", "", "a b", ""}));
    EXPECT_EQ(parseRowValue("", 3), Labels(2, ""));
}

TEST(KeyboardSwitch, OnlyNoInAnyCaseDisablesAndTheListsAreFilledEitherWay) {
    const std::string layout = "[KEYBOARD_LAYOUT]\n1stROW_LowerCase=" + bar + "a" + bar + "b\n";
    const std::pair<std::string, bool> cases[] = {{"no", true},  {"No", true},    {"NO", true},
                                                  {"NO ", true}, {"YES", false},  {"OFF", false},
                                                  {"0", false},  {"NOPE", false}, {"", false}};
    for (const auto& [value, disabled] : cases) {
        Viewer v;
        readConfiguration(v, "[global]\nEnableOn-ScreenKeyboard=" + value + "\n" + layout);
        EXPECT_EQ(v.keyboard.keyboardDisabled, disabled) << value;
        ASSERT_EQ(v.keyboard.lowerKeys.size(), keyCount);
        EXPECT_EQ(v.keyboard.lowerKeys[1].label, "b");
        EXPECT_EQ(v.keyboard.upperKeys[1].label, "");  // a missing row gives blank keys
    }
}

TEST(KeyboardLayout, AWindows1252FileReadsLikeItsUtf8Twin) {
    const std::string head =
        "[GLOBAL]\r\nEnableOn-ScreenKeyboard=YES\r\n[KEYBOARD_LAYOUT]\r\n4thROW_AltGRCase=";
    Viewer fromUtf8, fromWindows;
    readConfiguration(fromUtf8, head + bar + "\xC3\xA9" + bar + "\xE2\x82\xAC" + bar + " x \r\n");
    readConfiguration(fromWindows, head + "\xA6\xE9\xA6\x80\xA6 x \r\n");
    ASSERT_EQ(fromWindows.keyboard.altGrKeys.size(), keyCount);
    for (std::size_t i = 0; i < keyCount; ++i)
        EXPECT_EQ(fromWindows.keyboard.altGrKeys[i].label, fromUtf8.keyboard.altGrKeys[i].label) << i;
    EXPECT_EQ(fromWindows.keyboard.altGrKeys[43].label, "\xE2\x82\xAC");
}

// Every regular key of the shipped file types one character in lower and upper case, and no
// label is empty or holds the separator.
TEST(KeyboardLayout, TheShippedFileDescribesAFullKeyboard) {
    Viewer v;
    v.layout.programFolder = std::string(PAGEWELL_SOURCE_DIR) + "/";
    readKeyboardLayout(v);
    ASSERT_FALSE(v.keyboard.keyboardDisabled);
    ASSERT_EQ(v.keyboard.lowerKeys.size(), keyCount);
    const std::vector<int> special = {13, 14, 27, 28, 41, 42, 54, 55, 56, 57, 58, 59};
    for (int i = 0; i < static_cast<int>(keyCount); ++i) {
        const bool regular = std::find(special.begin(), special.end(), i) == special.end();
        for (const auto* list : {&v.keyboard.lowerKeys, &v.keyboard.upperKeys, &v.keyboard.altGrKeys}) {
            const std::string& label = (*list)[static_cast<std::size_t>(i)].label;
            EXPECT_FALSE(label.empty()) << i;
            EXPECT_EQ(label.find(bar), std::string::npos) << i;
            if (regular && list != &v.keyboard.altGrKeys) {
                EXPECT_EQ(media::characterCount(label), 1u) << i << " " << label;
            }
        }
    }
}

TEST(KeyboardLayout, AMissingFileIsReportedAndTheKeyboardIsNeverShown) {
    testing::internal::CaptureStderr();
    Harness h({.desktopWidth = 360, .desktopHeight = 640, .withConfiguration = false});
    const std::string messages = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(h.started());
    EXPECT_NE(messages.find("Severe error!: Could not find Pagewell.ini!\n\nPlease locate or re-install. "
                            "On-screen keyboard will be disabled..."),
              std::string::npos);
    EXPECT_TRUE(h.v().keyboard.keyboardDisabled);
    EXPECT_TRUE(h.v().keyboard.lowerKeys.empty() && h.v().keyboard.upperKeys.empty() &&
                h.v().keyboard.altGrKeys.empty());
    EXPECT_FALSE(media::spriteExists(sprite::keyboardLower));
    h.frames(1);
    h.v().frame.searchPanelOpen = true;
    h.clickAt(180, 600);
    EXPECT_EQ(h.v().search.searchWord, "");
    EXPECT_FALSE(h.v().frame.pointerOverKeyboard);
}

}  // namespace
