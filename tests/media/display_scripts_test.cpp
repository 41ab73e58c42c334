// Text in scripts the monospace face lacks: every character drawn by a face that has it, runs of
// several faces on one baseline where the advances say, the box for a character no face has, and
// fallback faces looked up once per size and range of characters.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "display_window.h"
#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"

using namespace media;

namespace {

constexpr Colour white = rgb(255, 255, 255);
constexpr int canvasWidth = 400;
constexpr int canvasHeight = 40;
// Plane 16 private use: no installed face has them, so both show the main face's missing-glyph box.
const std::string noFaceHasIt = "\U0010FFFD";
const std::string noFaceHasItEither = "\U0010FFFC";

class Scripts : public DisplayWindow {
protected:
    void SetUp() override {
        DisplayWindow::SetUp();
        ASSERT_TRUE(loadFont(0, "Lucida Console", 12, false));
        ASSERT_TRUE(createSprite(30, canvasWidth, canvasHeight));
        ASSERT_TRUE(beginDrawing(30));
        setFont(0);
    }
    void TearDown() override {
        endDrawing();
        DisplayWindow::TearDown();
    }

    void clear() { fillBox(0, 0, canvasWidth, canvasHeight, rgb(0, 0, 0)); }

    // The grey levels of the canvas's left part, one a pixel, row by row.
    std::vector<int> levels(int width) {
        std::vector<int> grey;
        for (int y = 0; y < canvasHeight; ++y)
            for (int x = 0; x < width; ++x) grey.push_back(red(pixelColour(x, y)));
        return grey;
    }

    // The text drawn alone at the canvas's left edge, as grey levels over its advance and a margin.
    std::vector<int> inkOf(const std::string& text) {
        clear();
        setDrawingMode(mode::transparent);
        drawText(0, 0, text, white);
        return levels(textWidth(text) + 4);
    }
};

bool hasInk(const std::vector<int>& grey) {
    for (int level : grey) {
        if (level > 128) return true;
    }
    return false;
}

std::vector<std::string> characters(const std::string& text) {
    std::vector<std::string> list;
    for (std::size_t i = 0; i < characterCount(text); ++i) list.push_back(characterSlice(text, i, 1));
    return list;
}

struct Sample {
    const char* script;
    const char* text;
};

void PrintTo(const Sample& sample, std::ostream* out) {
    *out << sample.script;
}

class ScriptGlyphs : public Scripts, public ::testing::WithParamInterface<Sample> {};

TEST_P(ScriptGlyphs, EveryCharacterIsDrawnByAFaceThatHasItNotAsTheBox) {
    const std::vector<int> box = inkOf(noFaceHasIt);
    ASSERT_TRUE(hasInk(box));
    ASSERT_EQ(inkOf(noFaceHasItEither), box) << "the template is the face's one missing-glyph box";
    const int advance = textWidth("A");
    for (const std::string& character : characters(GetParam().text)) {
        const std::vector<int> ink = inkOf(character);
        EXPECT_TRUE(hasInk(ink)) << character;
        EXPECT_NE(ink, box) << character << " is drawn as the box";
        // The text view's lines are cut by columns: a glyph never takes more room than its columns.
        EXPECT_LE(textWidth(character), displayColumns(firstCodePoint(character)) * advance) << character;
        EXPECT_GT(textWidth(character), 0) << character;
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptGlyphs,
                         ::testing::Values(Sample{"Japanese", "日本語のテキスト、カタカナ。"},
                                           Sample{"Chinese", "中文文本简体繁體"}, Sample{"Korean", "한국어"},
                                           Sample{"Greek", "Ελληνικά"}, Sample{"Cyrillic", "Кириллица"},
                                           Sample{"Arabic", "العربية"}, Sample{"Hebrew", "עברית"}),
                         [](const ::testing::TestParamInfo<Sample>& info) {
                             return std::string(info.param.script);
                         });

// The text drawn at once against its characters drawn one by one at their advances, in display order.
struct Placement {
    const char* name;
    const char* text;
    const char* shown;  // the same characters as they stand from left to right
};

void PrintTo(const Placement& placement, std::ostream* out) {
    *out << placement.name;
}

class Placements : public Scripts, public ::testing::WithParamInterface<Placement> {};

TEST_P(Placements, RunsOfSeveralFacesAndDirectionsStandOnTheBaselineWhereTheAdvancesSay) {
    const std::string mixed = GetParam().text;
    int width = 0;
    for (const std::string& character : characters(mixed)) width += textWidth(character);
    EXPECT_EQ(textWidth(mixed), width) << "the width is the sum of the advances";

    clear();
    setDrawingMode(mode::transparent);
    int x = 0;
    for (const std::string& character : characters(GetParam().shown)) {
        drawText(x, 0, character, white);
        x += textWidth(character);
    }
    const std::vector<int> apart = levels(width + 4);
    const std::vector<int> together = inkOf(mixed);
    ASSERT_EQ(apart.size(), together.size());
    int differing = 0;
    for (std::size_t i = 0; i < apart.size(); ++i) differing += std::abs(apart[i] - together[i]) > 2;
    EXPECT_EQ(differing, 0);
}

// Hebrew letters come from a proportional fallback face, squeezed into one column each; alef joins no
// letter after it, so both Arabic letters keep their isolated forms.
INSTANTIATE_TEST_SUITE_P(Texts, Placements,
                         ::testing::Values(Placement{"ThreeFaces", "Aж日本Bα語", "Aж日本Bα語"},
                                           Placement{"HebrewInLatin", "x שלום y", "x םולש y"},
                                           Placement{"ArabicAlefBeh", "اب", "با"}),
                         [](const ::testing::TestParamInfo<Placement>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(Scripts, ArabicLettersAreJoinedAsArabicIsWritten) {
    const std::string word = "بيت";
    clear();
    setDrawingMode(mode::transparent);
    int x = 0;
    for (const std::string& character : characters("تيب")) {  // isolated forms in display order
        drawText(x, 0, character, white);
        x += textWidth(character);
    }
    const std::vector<int> isolated = levels(x + 4);
    EXPECT_NE(inkOf(word), isolated) << "joined forms differ from the isolated ones";
    EXPECT_EQ(textWidth(word), 3 * textWidth("A"));
}

// A character no face has is looked up once and then shows the box; a fallback face serves its whole
// range of characters at one size.
TEST_F(Scripts, FallbackFacesAreLookedUpOncePerSizeAndRangeOfCharacters) {
    const int before = fallbackFaceLookups();
    EXPECT_EQ(textWidth(noFaceHasIt), textWidth("A"));
    EXPECT_TRUE(hasInk(inkOf("x" + noFaceHasIt)));
    const int oneIdeograph = textWidth("日");
    EXPECT_EQ(fallbackFaceLookups(), before + 2);
    inkOf("日旦早旨日" + noFaceHasIt);  // U+65E5..U+65E8: the same range
    EXPECT_EQ(textWidth("旦早"), 2 * oneIdeograph);
    EXPECT_EQ(fallbackFaceLookups(), before + 2);
    textWidth("中");  // U+4E2D: another range
    EXPECT_EQ(fallbackFaceLookups(), before + 3);

    ASSERT_TRUE(loadFont(1, "Lucida Console", 24, false));
    setFont(1);
    EXPECT_GT(textWidth("日"), oneIdeograph);
    EXPECT_EQ(fallbackFaceLookups(), before + 4) << "a new size looks again";
}

}  // namespace
