// Characters (UTF-8 cutting, Windows-1252 repair, case folding, display columns) and configuration files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <ostream>

#include "keyboard/ini.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "tests/support/scratch.h"

namespace {

const std::string mixed = "aé€𝄞Ж";  // 1, 2, 3, 4 and 2 bytes

TEST(Characters, CountAndOffsetsFollowCharactersNotBytes) {
    EXPECT_EQ(media::characterCount(mixed), 5u);
    EXPECT_EQ(media::characterCount(""), 0u);
    EXPECT_EQ(media::byteOffsetOfCharacter(mixed, 0), 0u);
    EXPECT_EQ(media::byteOffsetOfCharacter(mixed, 2), 3u);
    EXPECT_EQ(media::byteOffsetOfCharacter(mixed, 4), 10u);
    EXPECT_EQ(media::byteOffsetOfCharacter(mixed, 99), mixed.size());
}

TEST(Characters, SlicesAndLastCharacterNeverCutASequence) {
    EXPECT_EQ(media::characterSlice(mixed, 1, 2), "é€");
    EXPECT_EQ(media::characterSlice(mixed, 3, 10), "𝄞Ж");
    EXPECT_EQ(media::characterSlice(mixed, 7, 2), "");
    EXPECT_EQ(media::withoutLastCharacter(mixed), "aé€𝄞");
    EXPECT_EQ(media::withoutLastCharacter("𝄞"), "");
    EXPECT_EQ(media::withoutLastCharacter(""), "");
    std::string damaged = "ab\xE2\x82";  // a cut euro sign: its two bytes count as two characters
    EXPECT_EQ(media::characterCount(damaged), 4u);
    EXPECT_EQ(media::withoutLastCharacter(damaged), "ab\xE2");
}

TEST(Characters, FirstCodePoint) {
    EXPECT_EQ(media::firstCodePoint(""), 0);
    EXPECT_EQ(media::firstCodePoint("€uro"), 0x20AC);
    EXPECT_EQ(media::firstCodePoint("𝄞"), 0x1D11E);
    EXPECT_EQ(media::firstCodePoint("\x80"), 0x20AC) << "a stray byte is read as Windows-1252";
}

TEST(Characters, InvalidUtf8IsRecognisedAndRepairedAsWindows1252) {
    EXPECT_TRUE(media::isValidUtf8(mixed));
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF8\x88\x80\x80\x80", "\xE2\x82", "\xFF", "a\x80"})
        EXPECT_FALSE(media::isValidUtf8(bad)) << bad;
    EXPECT_EQ(media::repairToUtf8(mixed), mixed);
    EXPECT_EQ(media::repairToUtf8("caf\xE9 \x80 5\xA6"
                                  "6 ok \xC3\xA9"),
              "café € 5¦6 ok é");
    EXPECT_EQ(media::repairToUtf8("\x81\x9D"), "\xC2\x81\xC2\x9D")
        << "undefined bytes keep their C1 code points";
    EXPECT_TRUE(media::isValidUtf8(media::repairToUtf8("\xC0\xAF\xED\xA0\x80\xFF\xFE")));
}

// A file's name on the terminal: escape sequences, cursor moves and C1 controls are shown as "?".
TEST(Characters, NamesForTheTerminalCarryNoControlCharacters) {
    EXPECT_EQ(media::forTerminal("Été 日本.pdf"), "Été 日本.pdf");
    EXPECT_EQ(media::forTerminal("a\x1b]0;title\x07"
                                 "b\r\n.pdf"),
              "a?]0;title?b?\n.pdf");
    EXPECT_EQ(media::forTerminal("\x7f\xc2\x9b"
                                 "2J \xff\xc3"),
              "??2J ??");
}

// The one decoder: every valid form at its edges is one character; every other byte is a character
// of its own, U+FFFD, so that a walk over damaged text advances a byte and keeps what follows.
TEST(Characters, DecoderTakesShortestFormsOnlyAndABadByteAlone) {
    struct Case {
        std::string bytes;
        char32_t codePoint;
        std::size_t length;
    };
    const Case cases[] = {{"A", 'A', 1},
                          {"\xC2\x80", 0x80, 2},
                          {"\xDF\xBF", 0x7FF, 2},
                          {"\xE0\xA0\x80", 0x800, 3},
                          {"\xEF\xBF\xBD", 0xFFFD, 3},
                          {"\xF0\x90\x80\x80", 0x10000, 4},
                          {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
                          {"\xC0\xAF", 0xFFFD, 1},              // overlong
                          {"\xE0\x9F\xBF", 0xFFFD, 1},          // overlong
                          {"\xED\xA0\x80", 0xFFFD, 1},          // surrogate
                          {"\xF4\x90\x80\x80", 0xFFFD, 1},      // beyond U+10FFFF
                          {"\xF8\x88\x80\x80\x80", 0xFFFD, 1},  // no such lead byte
                          {"\x80", 0xFFFD, 1},                  // stray continuation byte
                          {"\xE2\x82", 0xFFFD, 1},              // cut short by the end
                          {"\xC3(", 0xFFFD, 1}};                // broken by the next character
    for (const Case& c : cases) {
        const media::Utf8Character character = media::decodeUtf8(c.bytes, 0);
        EXPECT_EQ(character.codePoint, c.codePoint) << c.bytes;
        EXPECT_EQ(character.length, c.length) << c.bytes;
        EXPECT_EQ(character.valid, c.codePoint != 0xFFFD || c.length == 3) << c.bytes;
    }
    EXPECT_EQ(media::characterCount("\xC3(\xE2\x82\xAC"), 3u) << "the bad byte, '(' and the euro sign";
}

TEST(Characters, CaseFoldingCoversGreekCyrillicAndGerman) {
    EXPECT_EQ(media::caseFold("ΑΘΗΝΑ"), media::caseFold("αθηνα"));
    EXPECT_EQ(media::caseFold("ΣΟΦΟΣ"), media::caseFold("σοφος"));
    EXPECT_EQ(media::caseFold("МОСКВА"), "москва");
    EXPECT_EQ(media::caseFold("STRASSE"), media::caseFold("straße"));
    EXPECT_EQ(media::caseFold("Hello"), "hello");
    EXPECT_TRUE(media::isValidUtf8(media::caseFold("A\xFF")));
    EXPECT_EQ(media::asciiUpper("abc-é-xyz"), "ABC-é-XYZ");
}

TEST(Characters, WideAndFullwidthCharactersTakeTwoColumnsEveryOtherOne) {
    // Ideographs, kana, Hangul, fullwidth forms, the ideographic space and comma, an emoji, plane 2.
    for (int wide :
         {0x65E5, 0x4E2D, 0x3042, 0x30A2, 0x30FC, 0xAC00, 0xFF21, 0x3000, 0x3001, 0x1F600, 0x20000})
        EXPECT_EQ(media::displayColumns(wide), 2) << std::hex << wide;
    // Latin, Greek, Cyrillic, Arabic, Hebrew, halfwidth katakana, ambiguous symbols, a combining mark,
    // a zero-width space (taken as one: a line may end early but never runs long), a musical symbol.
    for (int narrow :
         {0x41, 0xE9, 0x3B1, 0x436, 0x627, 0x5D0, 0xFF71, 0x2460, 0x203B, 0x301, 0x200B, 0x1D11E})
        EXPECT_EQ(media::displayColumns(narrow), 1) << std::hex << narrow;
}

// Right-to-left text in a left-to-right line: the characters as they stand from left to right.
std::string displayed(const std::string& utf8) {
    std::u32string codePoints;
    for (std::size_t i = 0; i < media::characterCount(utf8); ++i)
        codePoints += static_cast<char32_t>(media::firstCodePoint(media::characterSlice(utf8, i, 1)));
    std::string shown;
    for (std::size_t i : media::visualOrder(media::bidiLevels(codePoints)))
        shown += media::characterSlice(utf8, i, 1);
    return shown;
}

struct BidiCase {
    const char* name;
    const char* logical;
    const char* shown;
};

void PrintTo(const BidiCase& bidiCase, std::ostream* out) {
    *out << bidiCase.name;
}

class DisplayOrder : public ::testing::TestWithParam<BidiCase> {};

TEST_P(DisplayOrder, RightToLeftRunsStandReversedAndNumbersKeepTheirOrder) {
    EXPECT_EQ(displayed(GetParam().logical), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DisplayOrder,
    ::testing::Values(BidiCase{"HebrewWordInLatin", "ab אבג cd", "ab גבא cd"},
                      BidiCase{"NumberBetweenHebrewWords", "אבג 123 דה", "הד 123 גבא"},
                      BidiCase{"CommaAndBlankBetweenHebrewWords", "אב, גד", "דג ,בא"},
                      BidiCase{"NumberAfterLatinStaysLatin", "abc 12 אב", "abc 12 בא"},
                      BidiCase{"DecimalAndPercentAfterHebrew", "אב 1.5%", "1.5% בא"},
                      BidiCase{"ArabicIndicDigits", "عدد ١٢", "١٢ ددع"},
                      BidiCase{"FullStopAtTheEndStaysAtTheEnd", "אב.", "בא."},
                      BidiCase{"BracketsBetweenLatinAndHebrew", "a (אב) b", "a (בא) b"},
                      BidiCase{"NoRightToLeftText", "plain ελληνικά 日本", "plain ελληνικά 日本"}),
    [](const ::testing::TestParamInfo<BidiCase>& info) { return std::string(info.param.name); });

class Configuration : public ::testing::Test {
protected:
    std::string folder = freshFolder("pw_text_");
    void TearDown() override { media::deleteFilesInFolder(folder, "*"); }
    std::string write(const std::string& name, const std::string& text) {
        EXPECT_TRUE(media::writeWholeFile(folder + name, text));
        return folder + name;
    }
};

TEST_F(Configuration, SectionsWithoutCaseAndTrimmedValues) {
    IniFile ini;
    ASSERT_TRUE(ini.open(write("a.ini",
                               "\xEF\xBB\xBFtop=1\r\n[Global]\r\n  Enable = \t1 \t\r\n"
                               "; comment=9\n[KEYBOARD_LAYOUT]\nrow=a¦b¦c\nempty=\nrow=second\n")));
    ini.selectSection("GLOBAL");
    EXPECT_EQ(ini.read("Enable", "0"), "1");
    EXPECT_EQ(ini.read("row", "none"), "none") << "keys belong to their own section";
    ini.selectSection("keyboard_layout");
    EXPECT_EQ(ini.read("row", ""), "a¦b¦c");
    EXPECT_EQ(ini.read("empty", "default"), "");
    EXPECT_EQ(ini.read("missing", "default"), "default");
    EXPECT_EQ(ini.read("; comment", "default"), "default");
    ini.selectSection("nowhere");
    EXPECT_EQ(ini.read("row", "default"), "default");
}

TEST_F(Configuration, Windows1252FileReadsLikeItsUtf8Twin) {
    IniFile utf8, legacy;
    ASSERT_TRUE(utf8.open(write("u.ini", "[K]\nrow=q¦w¦€¦é\n")));
    ASSERT_TRUE(legacy.open(write("w.ini", "[K]\nrow=q\xA6w\xA6\x80\xA6\xE9\n")));
    utf8.selectSection("k");
    legacy.selectSection("k");
    EXPECT_EQ(legacy.read("row", ""), utf8.read("row", "x"));
    EXPECT_EQ(legacy.read("row", ""), "q¦w¦€¦é");
}

TEST_F(Configuration, MissingBinaryAndOddFilesNeverFail) {
    IniFile ini;
    EXPECT_FALSE(ini.open(folder + "missing.ini"));
    EXPECT_FALSE(ini.open(folder));
    ini.selectSection("GLOBAL");
    EXPECT_EQ(ini.read("key", "default"), "default");
    std::string binary(200000, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 2654435761u) >> 13);
    ASSERT_TRUE(ini.open(write("binary.ini", binary + "\n[S]\nk=v")));
    ini.selectSection("s");
    EXPECT_EQ(ini.read("k", ""), "v");
    ASSERT_TRUE(ini.open(write("odd.ini", "[unclosed\n[]\n=novalue\n[S]\nk\n[S]\nk=first\n")));
    ini.selectSection("S");
    EXPECT_EQ(ini.read("k", "default"), "default") << "the first section of a name counts";
    ASSERT_TRUE(ini.open(write("empty.ini", "")));
    ini.selectSection("S");
    EXPECT_EQ(ini.read("k", "default"), "default") << "reopening forgets the previous file";
}

}  // namespace
