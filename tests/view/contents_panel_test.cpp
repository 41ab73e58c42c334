// The contents panel by mouse and by touch, and the outline tree's rules beneath it.
#include "view/contents_panel.h"

#include "context/palette.h"
#include "document/outline.h"
#include "media/input/input.h"
#include "tests/view/view_fixture.h"
#include "view/list_panels.h"
#include "view/outline_tree.h"

namespace {

using namespace viewtest;

// Three chapters; the second has many sections, one a page from page 5 on.
std::string bookOutline(int sections = 30) {
    std::string text =
        "# outline of 40 pages: level, page, title\n1\t2\tOne\n2\t2\tOne.a\n2\t3\tOne.b\n1\t5\tTwo\n";
    for (int section = 1; section <= sections; ++section)
        text += "2\t" + std::to_string(4 + std::min(section, 31)) + "\tTwo." + std::to_string(section) + "\n";
    return text + "1\t36\tThree\n2\t37\tThree.a\n";
}

class ContentsPanel : public ByPointer<ViewerWithPages> {
protected:
    void openBook(const std::string& outline, int page) {
        open(40, 124, 175);
        ASSERT_TRUE(media::writeWholeFile(folder + outlineFileName, outline));
        ASSERT_TRUE(goToPage(v(), page) || page == 1);
        openContentsPanel(v());
        frames(1);
    }
    Box panel() { return listPanelBox(v()); }
    int rowHeight() { return listRowHeight(v().layout); }
    // The screen's y of the middle of an entry's row.
    int rowY(int entry) {
        const std::vector<int>& rows = v().contents.rows;
        const int row = static_cast<int>(std::find(rows.begin(), rows.end(), entry) - rows.begin());
        return panel().y + titleBandHeight(v().layout) + (2 * row + 1) * rowHeight() / 2 -
               v().contents.scrollY;
    }
};

}  // namespace

// A long level folds: the outline opens by its chapters, with the path to the page's section open and
// that section highlighted in view; a fold opens on a tap, a row's tap goes to its page, Back returns.
TEST_P(ContentsPanel, OpensAtTheChapterFoldsLongLevelsAndGoesToATappedRow) {
    openBook(bookOutline(), 20);
    const ContentsState& contents = v().contents;
    const int section = 3 + 16;  // Two.16, page 20
    EXPECT_EQ(contents.currentEntry, section);
    EXPECT_EQ(contents.rows.size(), 33u);  // One, Two with its 30 sections, Three
    const int x = panel().x + panel().width / 2;
    EXPECT_EQ(harness->pixel(x, rowY(section)), listcolour::current);
    const int foldX = panel().x + listPadding(v().layout) + rowHeight() / 2;
    harness->clickAt(foldX, rowY(3));  // Two folds
    EXPECT_EQ(contents.rows, (std::vector<int>{0, 3, 34}));
    harness->clickAt(foldX, rowY(0));  // One unfolds
    EXPECT_EQ(contents.rows, (std::vector<int>{0, 1, 2, 3, 34}));
    harness->clickAt(x, rowY(2));  // One.b
    EXPECT_EQ(std::pair(v().view.currentPage, v().frame.contentsPanelOpen), std::pair(3, false));
    openContentsPanel(v());
    frames(1);
    const int backX = panel().x + titleButton(v().layout, "Close", panel().width).x - rowHeight();
    harness->clickAt(backX, panel().y + titleBandHeight(v().layout) / 2);
    EXPECT_EQ(std::pair(v().view.currentPage, v().frame.contentsPanelOpen), std::pair(20, false));
}

// Dragging scrolls the list with the finger and taps nothing; the wheel scrolls by rows.
TEST_P(ContentsPanel, ScrollsByDraggingAndByTheWheel) {
    openBook(bookOutline(80), 1);
    harness->clickAt(panel().x + listPadding(v().layout) + rowHeight() / 2, rowY(3));  // Two's fold
    EXPECT_EQ(v().contents.scrollY, 0);
    moveInFrame(600, 1500);
    press();
    for (int step = 1; step <= 10; ++step) moveInFrame(600, 1500 - 30 * step);
    release();
    EXPECT_EQ(std::tuple(v().contents.scrollY, v().view.currentPage, v().frame.contentsPanelOpen),
              std::tuple(300, 1, true));
    media::feedMouseWheel(2);  // away from the user: toward the top
    frames(1);
    EXPECT_EQ(v().contents.scrollY, 300 - 2 * rowHeight());
}

// Hebrew and Japanese titles come out as the text view's drawing makes them; no outline is said so.
TEST_P(ContentsPanel, DrawsTitlesAsTextIsDrawnAndSaysWhenThereAreNone) {
    const std::string title = "שלום 目次 Index";
    openBook("# outline\n1\t3\t" + title + "\n", 1);
    const int height = rowHeight(), scratch = 702;
    ASSERT_TRUE(media::createSprite(scratch, 600, height) && media::beginDrawing(scratch));
    media::fillBox(0, 0, 600, height, listcolour::panel);
    media::setDrawingMode(media::mode::transparent);
    media::setFont(font::medium);
    const int textY = height / 2 - media::textHeight("H") / 2, width = media::textWidth(title);
    media::drawText(0, textY, title, palette::white);
    media::endDrawing();
    const int titleX = listPadding(v().layout) + rowHeight(), rowTop = titleBandHeight(v().layout);
    EXPECT_EQ(spritePixels(sprite::contentsPanel, titleX, rowTop, width, height - 2),
              spritePixels(scratch, 0, 0, width, height - 2));
    resetContents(v(), 0);
    ASSERT_TRUE(media::writeWholeFile(folder + outlineFileName, "# outline of 40 pages\n"));
    openContentsPanel(v());
    frames(1);
    EXPECT_TRUE(v().contents.entries.empty());
    int white = 0;
    for (int x = panel().x; x < panel().x + panel().width; ++x)
        white += harness->pixel(x, panel().y + panel().height / 2) == palette::white;
    EXPECT_GT(white, 20);  // "This document has no contents."
}

INSTANTIATE_TEST_SUITE_P(Pointer, ContentsPanel, pointerStyles, pointerStyleName);

// The tree's rules without a screen: the chapter of a page, the opening expansion, the listed rows.
TEST(OutlineTree, ChapterOfAPageAndTheOpeningExpansion) {
    const std::vector<OutlineEntry> odd = parseOutline("1\t1\tA\nbad line\n1\tx\tB\n-1\t1\tC\n4\t2\tDeep\n");
    ASSERT_EQ(odd.size(), 2u);
    EXPECT_EQ(odd.back().level, 2);  // one below the entry before it, not four
    const std::vector<OutlineEntry> entries = parseOutline(bookOutline());
    ASSERT_EQ(entries.size(), 36u);
    EXPECT_EQ(chapterOfPage(entries, 1), -1);
    EXPECT_EQ(chapterOfPage(entries, 2), 1);  // One.a: the deepest entry of page 2
    EXPECT_EQ(chapterOfPage(entries, 40), 35);
    EXPECT_EQ(listedRows(entries, openingExpansion(entries, -1, 40)).size(), 36u);  // all fit: all open
    EXPECT_EQ(listedRows(entries, openingExpansion(entries, -1, 20)),
              (std::vector<int>{0, 3, 34}));  // the chapters alone
    EXPECT_EQ(listedRows(entries, openingExpansion(entries, 2, 20)), (std::vector<int>{0, 1, 2, 3, 34}));
}
