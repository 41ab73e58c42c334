// Frame tests: the text view, the copy keys, typing and starting a search, the hit list and its rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "context/viewer.h"
#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "text/search.h"
#include "text/text_store.h"
#include "text/text_view.h"

namespace {

constexpr media::Colour panelGrey = media::rgb(30, 30, 30);

// True when some pixel of the sprite's rectangle differs from the background colour.
bool spriteHasInk(int sprite, int x0, int y0, int x1, int y1, media::Colour background) {
    const auto pixels = spritePixels(sprite, x0, y0, x1 - x0, y1 - y0);
    return std::any_of(pixels.begin(), pixels.end(), [&](media::Colour c) { return c != background; });
}

struct TextFrames : ::testing::Test {
    explicit TextFrames(PointerStyle pointer = PointerStyle::mouse) : h(withPointer(pointer)) {}

    Harness h;
    Viewer& v = h.v();

    void SetUp() override { ASSERT_TRUE(h.started()); }

    // A document of pageCount pages whose extracted text is fileText, without any tool program.
    void loadText(const std::string& fileText, int pageCount) {
        v.document.documentCacheFolder = makeTemporaryFolder("pagewell-text-store");
        ASSERT_TRUE(media::writeWholeFile(v.document.documentCacheFolder + "TextualData.txt", fileText));
        v.document.pageCount = v.document.pageCountShown = pageCount;
        v.text.textExtractionPending = true;
        h.frames(1);
        ASSERT_FALSE(v.text.textExtractionPending);
    }

    void openSearchPanel() { v.frame.searchPanelOpen = v.frame.searchInputActive = true; }

    void tapKey(int scanCode) { h.pressKeys({scanCode}); }

    void clickAt(int x, int y) {  // a frame more over the spot than the harness's click
        h.moveTo(x, y);
        h.frames(1);
        h.clickAt(x, y);
    }

    bool waitForSearch() {
        return h.runUntil([&] { return v.search.searchWorkerState.load() == SearchWorker::idle; }, 2000);
    }

    // Opens the panel, types the word and searches it with Return.
    bool searchFor(const std::string& word) {
        openSearchPanel();
        h.type(word);
        h.frames(1);
        tapKey(media::scan::enter);
        return waitForSearch();
    }

    // The x-height part of display row i (descenders of the row above end before it).
    bool rowHasInk(int row) const {
        const double m = v.layout.mediumFontSize;
        const int y = static_cast<int>(3 * m + 1.2 * m * row);
        return spriteHasInk(sprite::textView, v.layout.largeFontSize, y + 4,
                            media::spriteOwnWidth(sprite::textView), y + 10, panelGrey);
    }
};

// Presses on the search panel's button, the hit list and the tool bar's Search: each case runs with the
// mouse and with touch.
struct TextPresses : TextFrames, ::testing::WithParamInterface<PointerStyle> {
    TextPresses() : TextFrames(GetParam()) {}
};

INSTANTIATE_TEST_SUITE_P(Pointer, TextPresses, pointerStyles, pointerStyleName);

}  // namespace

TEST_F(TextFrames, TheTextViewShowsRowsWithoutBlankLinesOrTheNoTextNotice) {
    loadText("alpha beta\f\fgamma\f", 3);
    const int width = media::spriteOwnWidth(sprite::textView), base = v.layout.baseFontSize;
    v.frame.textViewOpen = true;
    v.view.currentPage = 1;
    showTextView(v);
    EXPECT_TRUE(spriteHasInk(sprite::textView, 0, base, width, 3 * base, panelGrey));  // the header
    EXPECT_TRUE(spriteHasInk(sprite::textView, 0, 3 * base, width, 3 * base + 1, panelGrey));
    EXPECT_EQ(std::pair(rowHasInk(0), rowHasInk(1)), std::pair(true, false));

    v.view.currentPage = 2;  // an empty page: the notice, no rule
    showTextView(v);
    EXPECT_FALSE(spriteHasInk(sprite::textView, 0, 3 * base, width, 3 * base + 1, panelGrey));
    const int middle = media::spriteOwnHeight(sprite::textView) / 2;
    EXPECT_TRUE(spriteHasInk(sprite::textView, 0, middle - base, width, middle + base, panelGrey));

    v.text.textLines[3] = {"", "   ", "gamma", "", "delta"};  // blank lines take no row
    v.view.currentPage = 3;
    showTextView(v);
    EXPECT_EQ(std::tuple(rowHasInk(0), rowHasInk(1), rowHasInk(2), rowHasInk(3)),
              std::tuple(true, true, false, false));
}

TEST_F(TextFrames, TheExtractedWordCountIsWrittenOnTheInformationPanel) {
    ASSERT_TRUE(media::createSprite(sprite::infoPanel, 600, 200));
    loadText("one two three\ffour five\f", 2);
    EXPECT_EQ(v.text.extractedWordCount, 3);
    const int y = 200 - v.layout.titleFontSize;
    EXPECT_TRUE(spriteHasInk(sprite::infoPanel, 10, y, 600, 200, media::rgb(0, 0, 0)));
    EXPECT_FALSE(spriteHasInk(sprite::infoPanel, 0, 0, 600, y - 1, media::rgb(0, 0, 0)));
}

TEST_F(TextFrames, ControlAndCCopyOnEachReleaseOfCAndCAloneCopiesNothing) {
    loadText("first  page\r\ntext\fsecond\f", 2);
    v.view.currentPage = 1;
    v.frame.textViewOpen = true;
    media::setClipboardText("before");
    h.keyDown(media::scan::leftControl);
    tapKey(media::scan::c);
    EXPECT_EQ(media::clipboardText(), "first page text");
    media::setClipboardText("between");
    tapKey(media::scan::c);
    EXPECT_EQ(media::clipboardText(), "first page text");
    h.keyUp(media::scan::leftControl);
    h.frames(1);

    media::setClipboardText("untouched");
    tapKey(media::scan::c);
    EXPECT_EQ(media::clipboardText(), "untouched");
    v.frame.textViewOpen = false;  // the keys do nothing while the view is closed
    h.keyDown(media::scan::leftControl);
    tapKey(media::scan::c);
    h.keyUp(media::scan::leftControl);
    h.frames(1);
    EXPECT_EQ(media::clipboardText(), "untouched");
}

TEST_F(TextFrames, AQuickTapOfCWithinOneFrameStillCopies) {
    loadText("only page\f", 1);
    v.view.currentPage = 1;
    v.frame.textViewOpen = true;
    media::setClipboardText("before");
    h.keyDown(media::scan::leftControl);
    h.frames(1);
    h.tapKey(media::scan::c);  // pressed and released between two frames
    EXPECT_EQ(media::clipboardText(), "only page");
    h.keyUp(media::scan::leftControl);
    h.frames(1);
}

TEST_F(TextFrames, TypingEditsTheWordByCharacterAndReturnWithoutAWordDoesNothing) {
    loadText("Straße\fstrasse\f", 2);
    openSearchPanel();
    v.search.searchHits = {{"kept", "9", 9, 0}};
    tapKey(media::scan::enter);
    EXPECT_EQ(v.search.searchWorkerState.load(), SearchWorker::idle);
    EXPECT_EQ(v.search.searchHits.size(), 1u);

    h.type("STRAß");
    h.frames(1);
    EXPECT_EQ(v.search.searchWord, "STRAß");
    tapKey(media::scan::backspace);
    EXPECT_EQ(v.search.searchWord, "STRA");
    h.type("\t");
    h.frames(1);
    EXPECT_EQ(v.search.searchWord, "STRA");
    tapKey(media::scan::enter);
    ASSERT_TRUE(waitForSearch());
    ASSERT_EQ(v.search.searchHits.size(), 2u);
    EXPECT_EQ(v.search.searchHits[0].snippet, "Straße");
}

TEST_P(TextPresses, TheOnScreenEnterWaitsForAWordAndTheSearchButtonSearchesAnEmptyWord) {
    loadText("alpha\fbeta\f", 2);
    openSearchPanel();
    v.search.onScreenEnterPressed = true;
    h.frames(3);
    EXPECT_TRUE(v.search.onScreenEnterPressed);
    h.type("b");
    h.frames(2);  // typed in one frame, searched in the next
    ASSERT_TRUE(waitForSearch());
    EXPECT_FALSE(v.search.onScreenEnterPressed);
    ASSERT_EQ(v.search.searchHits.size(), 1u);
    EXPECT_EQ(v.search.searchHits[0].page, 2);

    v.search.searchWord.clear();
    h.frames(1);
    const int goX = v.layout.screenWidth / 2 - media::spriteWidth(sprite::searchHeader) / 2 +
                    static_cast<int>(media::spriteWidth(sprite::searchHeader) / 1.3) +
                    media::spriteWidth(sprite::searchGo) / 2;
    const int goY = media::spriteHeight(sprite::toolbar) + 3 * v.layout.mediumFontSize +
                    media::spriteHeight(sprite::searchGo) / 2;
    clickAt(goX, goY);
    EXPECT_TRUE(v.frame.pointerOverSearchButton);
    ASSERT_TRUE(waitForSearch());
    EXPECT_TRUE(v.search.searchHits.empty());
}

TEST_P(TextPresses, RowsOfTheHitListOpenTheirPagesAndTheNoticeRowOpensTheFortySeventh) {
    std::string file;
    for (int page = 1; page <= 60; ++page) file += "hit on page " + std::to_string(page) + "\f";
    loadText(file, 60);
    ASSERT_TRUE(searchFor("HIT"));
    ASSERT_EQ(v.search.searchHits.size(), 60u);
    h.frames(1);  // the list drawn after the last flip is shown in this one

    const int f = v.layout.largeFontSize, x = v.layout.screenWidth / 2;
    const int top = media::spriteHeight(sprite::toolbar) + media::spriteHeight(sprite::searchHeader);
    EXPECT_EQ(h.pixel(x, top + 2), media::rgb(100, 100, 100));  // the list is shown
    // The document has no page files yet: the page a row opens is the one the view waits on.
    clickAt(x, top + 3 * f + 4 * f + f / 2);
    EXPECT_EQ(std::pair(v.view.awaitedPage, v.frame.searchPanelOpen), std::pair(5, true));
    clickAt(x, top + 3 * f + 46 * f + f / 2);
    EXPECT_EQ(v.view.awaitedPage, 47);
    clickAt(x, top + f + 2);  // the title band is not a row
    EXPECT_EQ(std::pair(v.view.awaitedPage, v.frame.pointerOverHitList), std::pair(47, false));
}

TEST_F(TextFrames, TheHitListTakesThePointerOnlyOverItsRows) {
    loadText("hit one\fhit two\fhit three\f", 3);
    ASSERT_TRUE(searchFor("hit"));
    h.frames(1);
    const int f = v.layout.largeFontSize, x = v.layout.screenWidth / 2;
    const int top = media::spriteHeight(sprite::toolbar) + media::spriteHeight(sprite::searchHeader);
    h.moveTo(x, top + 3 * f + 2 * f + f / 2);  // the third row
    h.frames(1);
    EXPECT_TRUE(v.frame.pointerOverHitList);
    h.moveTo(x, top + 3 * f + 4 * f);  // below the last row: the page and the keyboard keep it
    h.frames(1);
    EXPECT_FALSE(v.frame.pointerOverHitList);
}

TEST_P(TextPresses, ThePanelOpenedByAReleaseThatSlidesOffTheButtonTakesTyping) {
    loadText("alpha\f", 1);
    const int x = v.layout.searchButtonX + media::spriteWidth(sprite::searchButton) / 2;
    const int y = v.layout.mediumFontSize + 5;
    h.moveTo(x, y);
    h.frames(2);
    if (h.hoversBeforePress()) {
        ASSERT_EQ(v.frame.hoveredButton, Button::search);
    }
    h.press();
    h.frames(1);
    h.release();
    h.moveTo(v.layout.screenWidth / 2, y);  // off the button in the frame of the release
    h.frames(1);
    ASSERT_TRUE(v.frame.searchPanelOpen);
    EXPECT_TRUE(v.frame.searchInputActive);
    h.type("x");
    h.frames(1);
    EXPECT_EQ(v.search.searchWord, "x");
}

TEST_F(TextFrames, OpeningAnotherDocumentForgetsTheTextOfThePreviousOne) {
    loadText("alpha\fbeta\f", 2);
    ASSERT_FALSE(v.text.pageTexts.empty());
    const std::string pdf = makeTemporaryFolder("pagewell-next") + "next.pdf";
    ASSERT_TRUE(media::writeWholeFile(pdf, "%PDF-1.4\nnot really a document\n"));
    h.open(pdf);
    EXPECT_TRUE(v.text.pageTexts.empty() && v.text.textLines.empty());
}
