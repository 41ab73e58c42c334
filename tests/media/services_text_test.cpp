// Characters (UTF-8 cutting, Windows-1252 repair, case folding) and configuration files.
#include <gtest/gtest.h>
#include <unistd.h>

#include "media/media.h"
#include "media/unicode.h"

namespace {

std::string freshFolder() {
    char pattern[] = "/tmp/pw_text_XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return made ? std::string(made) + "/" : std::string();
}

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

TEST(Characters, CaseFoldingCoversGreekCyrillicAndGerman) {
    EXPECT_EQ(media::caseFold("ΑΘΗΝΑ"), media::caseFold("αθηνα"));
    EXPECT_EQ(media::caseFold("ΣΟΦΟΣ"), media::caseFold("σοφος"));
    EXPECT_EQ(media::caseFold("МОСКВА"), "москва");
    EXPECT_EQ(media::caseFold("STRASSE"), media::caseFold("straße"));
    EXPECT_EQ(media::caseFold("Hello"), "hello");
    EXPECT_TRUE(media::isValidUtf8(media::caseFold("A\xFF")));
    EXPECT_EQ(media::asciiUpper("abc-é-xyz"), "ABC-é-XYZ");
}

class Configuration : public ::testing::Test {
protected:
    std::string folder = freshFolder();
    void TearDown() override { media::deleteFilesInFolder(folder, "*"); }
    std::string write(const std::string& name, const std::string& text) {
        EXPECT_TRUE(media::writeWholeFile(folder + name, text));
        return folder + name;
    }
};

TEST_F(Configuration, SectionsWithoutCaseAndTrimmedValues) {
    media::IniFile ini;
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
    media::IniFile utf8, legacy;
    ASSERT_TRUE(utf8.open(write("u.ini", "[K]\nrow=q¦w¦€¦é\n")));
    ASSERT_TRUE(legacy.open(write("w.ini", "[K]\nrow=q\xA6w\xA6\x80\xA6\xE9\n")));
    utf8.selectSection("k");
    legacy.selectSection("k");
    EXPECT_EQ(legacy.read("row", ""), utf8.read("row", "x"));
    EXPECT_EQ(legacy.read("row", ""), "q¦w¦€¦é");
}

TEST_F(Configuration, MissingBinaryAndOddFilesNeverFail) {
    media::IniFile ini;
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
