// The keyboard configuration: row values, the on/off switch, a missing file, Windows-1252 files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "keyboard/keyboard.h"
#include "media/media.h"
#include "media/unicode.h"
#include "tests/support/harness.h"

namespace {

const std::string bar = "\xC2\xA6";  // the separator, U+00A6

std::string row(const std::vector<std::string>& labels) {
    std::string value;
    for (const auto& label : labels) value += bar + label;
    return value;
}

// Reads a configuration written into a fresh program folder.
struct ConfigurationReader {
    Viewer v;
    explicit ConfigurationReader(const std::string& text) {
        v.layout.programFolder = makeTemporaryFolder("pagewell-keyboard");
        media::writeWholeFile(v.layout.programFolder + "Pagewell.ini", text);
        readKeyboardLayout(v);
    }
};

std::string withSwitch(const std::string& value) {
    return "[GLOBAL]\nEnableOn-ScreenKeyboard=" + value + "\n[KEYBOARD_LAYOUT]\n1stROW_LowerCase=" +
           row({"a", "b"}) + "\n";
}

TEST(RowValue, FieldOneIsNeverALabel) {
    EXPECT_EQ(parseRowValue(bar + "a" + bar + "b", 3), (std::vector<std::string>{"a", "b"}));
    // Without a leading separator the first label is lost: it is field 1.
    EXPECT_EQ(parseRowValue("a" + bar + "b" + bar + "c", 3), (std::vector<std::string>{"b", "c"}));
}

TEST(RowValue, TakesExactlyTheRowsFieldsPaddedOrMissing) {
    std::vector<std::string> twenty;
    for (int i = 2; i <= 20; ++i) twenty.push_back("k" + std::to_string(i));
    const auto row1 = parseRowValue(row(twenty), 15);
    ASSERT_EQ(row1.size(), 14u);
    EXPECT_EQ(row1.front(), "k2");
    EXPECT_EQ(row1.back(), "k15");

    EXPECT_EQ(parseRowValue(bar + "  Tab  " + bar + "\tx ", 6), (std::vector<std::string>{"Tab", "x", "", "", ""}));
    EXPECT_EQ(parseRowValue("", 6), std::vector<std::string>(5, ""));
    EXPECT_EQ(parseRowValue(bar + "a b" + bar + bar + "\xE2\x82\xAC", 4),
              (std::vector<std::string>{"a b", "", "\xE2\x82\xAC"}));
}

TEST(KeyboardSwitch, NoInAnyCaseDisablesButTheListsAreStillFilled) {
    for (const std::string value : {"no", "No", "NO", "NO ", " nO"}) {
        ConfigurationReader reader(withSwitch(value));
        EXPECT_EQ(reader.v.keyboard.keyboardDisabled, 1) << "'" << value << "'";
        ASSERT_EQ(reader.v.keyboard.lowerKeys.size(), keyCount);
        EXPECT_EQ(reader.v.keyboard.lowerKeys[1].label, "b");
    }
}

TEST(KeyboardSwitch, AnyOtherValueOrNoneLeavesTheKeyboardOn) {
    for (const std::string value : {"YES", "yes", "OFF", "0", "N O", "NOPE", ""}) {
        ConfigurationReader reader(withSwitch(value));
        EXPECT_EQ(reader.v.keyboard.keyboardDisabled, 0) << "'" << value << "'";
    }
    ConfigurationReader noGlobal("[KEYBOARD_LAYOUT]\n");
    EXPECT_EQ(noGlobal.v.keyboard.keyboardDisabled, 0);
}

TEST(KeyboardLayout, RowsFillSixtyKeysInOrderAndMissingRowsAreBlank) {
    ConfigurationReader reader("[keyboard_layout]\n"
                               "1stROW_LowerCase=" + row({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "del", "extra"}) +
                               "\n4thROW_UpperCase=" + row({"SH", "Z"}) + "\n5thROW_AltGRCase=" +
                               row({"c1", "alt", "space", "alt", "c2", "beyond"}) + "\n");
    const auto& k = reader.v.keyboard;
    ASSERT_EQ(k.lowerKeys.size(), keyCount);
    ASSERT_EQ(k.upperKeys.size(), keyCount);
    ASSERT_EQ(k.altGrKeys.size(), keyCount);
    EXPECT_EQ(k.lowerKeys[13].label, "del");
    EXPECT_EQ(k.lowerKeys[14].label, "");  // the 15th field of row 1 is not row 2's first key
    EXPECT_EQ(k.upperKeys[42].label, "SH");
    EXPECT_EQ(k.upperKeys[43].label, "Z");
    EXPECT_EQ(k.altGrKeys[55].label, "c1");
    EXPECT_EQ(k.altGrKeys[59].label, "c2");
}

TEST(KeyboardLayout, AWindows1252FileReadsLikeItsUtf8Twin) {
    const std::string utf8 = "[GLOBAL]\r\nEnableOn-ScreenKeyboard=YES\r\n[KEYBOARD_LAYOUT]\r\n1stROW_AltGRCase=" +
                             row({"\xC3\xA9", "\xE2\x82\xAC", " x "}) + "\r\n";
    std::string windows = "[GLOBAL]\r\nEnableOn-ScreenKeyboard=YES\r\n[KEYBOARD_LAYOUT]\r\n1stROW_AltGRCase="
                          "\xA6\xE9\xA6\x80\xA6 x \r\n";
    ConfigurationReader fromUtf8(utf8), fromWindows(windows);
    ASSERT_EQ(fromWindows.v.keyboard.altGrKeys.size(), keyCount);
    for (std::size_t i = 0; i < keyCount; ++i)
        EXPECT_EQ(fromWindows.v.keyboard.altGrKeys[i].label, fromUtf8.v.keyboard.altGrKeys[i].label) << i;
    EXPECT_EQ(fromWindows.v.keyboard.altGrKeys[1].label, "\xE2\x82\xAC");
}

// The shipped file: every regular key types one character in lower and upper case, the special
// keys carry the labels a user expects to see, and no label holds the separator.
TEST(KeyboardLayout, TheShippedFileDescribesAFullKeyboard) {
    Viewer v;
    v.layout.programFolder = std::string(PAGEWELL_SOURCE_DIR) + "/";
    readKeyboardLayout(v);
    const auto& k = v.keyboard;
    ASSERT_EQ(k.keyboardDisabled, 0);
    ASSERT_EQ(k.lowerKeys.size(), keyCount);
    const std::vector<int> special = {13, 14, 27, 28, 41, 42, 54, 55, 56, 57, 58, 59};
    for (int i = 0; i < static_cast<int>(keyCount); ++i) {
        const bool isSpecial = std::find(special.begin(), special.end(), i) != special.end();
        for (const auto* list : {&k.lowerKeys, &k.upperKeys, &k.altGrKeys}) {
            const std::string& label = (*list)[static_cast<std::size_t>(i)].label;
            EXPECT_FALSE(label.empty()) << i;
            EXPECT_EQ(label.find(bar), std::string::npos) << i;
            EXPECT_TRUE(media::isValidUtf8(label)) << i;
            if (!isSpecial && list != &k.altGrKeys) {
                EXPECT_EQ(media::characterCount(label), 1u) << i << " " << label;
            }
        }
    }
}

TEST(KeyboardLayout, AMissingFileIsReportedAndDisablesTheKeyboard) {
    HarnessOptions options;
    options.withConfiguration = false;
    options.desktopWidth = 360;
    options.desktopHeight = 640;
    testing::internal::CaptureStderr();
    Harness h(options);
    const std::string messages = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(h.started());
    EXPECT_NE(messages.find("Severe error!"), std::string::npos);
    EXPECT_NE(messages.find("Could not find Pagewell.ini!\n\nPlease locate or re-install. On-screen keyboard "
                            "will be disabled..."),
              std::string::npos);
    EXPECT_EQ(h.v().keyboard.keyboardDisabled, 1);
    EXPECT_TRUE(h.v().keyboard.lowerKeys.empty());
    EXPECT_TRUE(h.v().keyboard.upperKeys.empty());
    EXPECT_TRUE(h.v().keyboard.altGrKeys.empty());
    EXPECT_FALSE(media::spriteExists(sprite::keyboardLower));

    // With the search panel open the keyboard is neither shown nor typed on.
    h.v().frame.searchPanelOpen = 1;
    h.moveTo(180, 600);
    h.frames(1);
    h.press();
    h.frames(1);
    h.release();
    h.frames(1);
    EXPECT_EQ(h.v().search.searchWord, "");
    EXPECT_EQ(h.v().frame.pointerOverKeyboard, 0);
}

}  // namespace
