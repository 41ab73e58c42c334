// The thumbnail sheet: the build from prepared images, the saved file and its trailer, the cells,
// thumbnail mode's hover and pick, and the search marks.
#include "view/sheet.h"

#include <string>
#include <tuple>
#include <utility>

#include "context/fitting.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/scratch.h"
#include "tests/view/view_fixture.h"

namespace {

class Sheet : public viewtest::ViewerWithPages {
protected:
    media::Colour sheetPixel(int x, int y) { return viewtest::spritePixel(sprite::thumbnailSheet, x, y); }
    std::string sheetFile() { return folder + "thumb_sheet.png"; }
    const ThumbnailCell& cell(int page) { return v().sheet.thumbnailCells.at(page - 1); }
    static auto place(const ThumbnailCell& c) { return std::tuple(c.screenX, c.screenY, c.width); }
    static std::pair<int, int> sheetSize() {
        return {media::spriteOwnWidth(sprite::thumbnailSheet),
                media::spriteOwnHeight(sprite::thumbnailSheet)};
    }
};

class SheetPicks : public viewtest::ByPointer<Sheet> {};

INSTANTIATE_TEST_SUITE_P(Pointer, SheetPicks, pointerStyles, pointerStyleName);

TEST_F(Sheet, TenPagesMatchTheWorkedExampleAndReopenWithTheSameCells) {
    open(10);
    buildSheet();
    const SheetState& sheet = v().sheet;
    EXPECT_EQ(sheetSize(), std::pair(765, 1080));
    EXPECT_EQ(std::pair(sheet.sheetCellWidth, sheet.sheetCellHeight), std::pair(180, 255));
    EXPECT_EQ(sheet.sheetEndRow, 1020);
    EXPECT_TRUE(sheet.sheetReady);
    EXPECT_FALSE(media::imageExists(10));
    ASSERT_EQ(sheet.thumbnailCells.size(), 10u);
    EXPECT_EQ(std::tuple(cell(4).sheetY, cell(4).screenX, cell(4).screenY),
              std::tuple(255, 540 - 382, 255 + 960 - 540));
    EXPECT_TRUE(viewtest::near(sheetPixel(90, 382), viewtest::pageColour(4)));
    EXPECT_EQ(sheetPixel(0, 255), media::rgb(0, 0, 0));  // the thumbnail's outline
    EXPECT_EQ(sheetPixel(600, 100), media::rgb(0, 0, 0));
    EXPECT_EQ(sheetPixel(764, 1020), media::rgb(255, 255, 255));

    const std::string bytes = fileText(sheetFile()), trailer = std::string(1, '\0') + "180|255|3|5";
    ASSERT_GT(bytes.size(), trailer.size());
    EXPECT_EQ(bytes.substr(bytes.size() - trailer.size()), trailer);
    std::vector<ThumbnailCell> built = sheet.thumbnailCells;
    v().sheet = SheetState{};
    ASSERT_TRUE(loadThumbnailSheet(v()));
    EXPECT_EQ(v().sheet.sheetColumns * v().sheet.sheetRows, 15);
    ASSERT_EQ(v().sheet.thumbnailCells.size(), built.size());
    for (std::size_t i = 0; i < built.size(); ++i)
        EXPECT_EQ(place(v().sheet.thumbnailCells[i]), place(built[i])) << "cell " << i;
}

TEST_F(Sheet, TwoPagesReachPastTheSheetAndFindNoEndLine) {
    open(2);
    buildSheet();
    EXPECT_EQ(sheetSize(), std::pair(764, 1080));
    EXPECT_EQ(std::pair(v().sheet.thumbnailWidth, v().sheet.thumbnailHeight), std::pair(540, 764));
    EXPECT_EQ(v().sheet.sheetEndRow, 1920);
    EXPECT_EQ(cell(2).sheetY, 764);
}

TEST_F(Sheet, PagesWhoseImageNeverCameLeaveTheirCellEmpty) {
    open(10);
    buildSheet({1, 5});
    EXPECT_EQ(v().sheet.sheetEndRow, 1020);
    EXPECT_EQ(cell(6).sheetX, 360);
    EXPECT_EQ(sheetPixel(90, 127), media::rgb(0, 0, 0));
    EXPECT_EQ(sheetPixel(270, 382), media::rgb(0, 0, 0));
    EXPECT_TRUE(viewtest::near(sheetPixel(450, 382), viewtest::pageColour(6)));
}

TEST_P(SheetPicks, UnsoundSheetFilesNeverGiveCellsToPick) {
    open(10);
    buildSheet();
    const std::string bytes = fileText(sheetFile());
    media::writeWholeFile(sheetFile(), bytes.substr(0, bytes.rfind('\0') + 1) + "180|x|3|5");
    v().sheet = SheetState{};
    ASSERT_TRUE(loadThumbnailSheet(v()));  // shown, but nothing can be picked
    EXPECT_TRUE(v().sheet.thumbnailCells.empty());
    v().frame.thumbnailMode = true;
    moveInFrame(300, 700);
    press();
    release();
    EXPECT_TRUE(v().frame.thumbnailMode);
    EXPECT_EQ(v().view.currentPage, 1);
    media::writeWholeFile(sheetFile(), std::string("garbage") + '\0' + "1|1|1|1");
    v().sheet = SheetState{};
    EXPECT_FALSE(loadThumbnailSheet(v()));
    EXPECT_FALSE(v().sheet.sheetReady);
}

TEST_P(SheetPicks, HoverTintsACellAndAReleaseOnItOpensItsPage) {
    open(10);
    buildSheet();
    v().frame.thumbnailMode = true;
    moveInFrame(cell(1).screenX + cell(1).width, cell(1).screenY + cell(1).height);
    if (hoversBeforePress()) {
        EXPECT_EQ(v().sheet.hoveredCell, 0);  // the earlier cell wins on a shared border
    }
    moveInFrame(cell(3).screenX + cell(3).width + 40, cell(3).screenY + 50);
    if (hoversBeforePress()) {
        EXPECT_FALSE(v().frame.cellHovered);  // beside the grid, inside the sheet
    }
    press();
    release();
    EXPECT_TRUE(v().frame.thumbnailMode);
    moveInFrame(cell(7).screenX + 90, cell(7).screenY + 120);
    if (hoversBeforePress()) {
        EXPECT_EQ(v().sheet.hoveredCell, 6);
        media::Colour tinted = harness->pixel(cell(7).screenX + 20, cell(7).screenY + 20);
        EXPECT_GT(media::blue(tinted), media::blue(viewtest::pageColour(7)));
    }
    press();
    EXPECT_EQ(v().sheet.hoveredCell, 6);  // a finger's press is hovered where it landed
    release();
    EXPECT_FALSE(v().frame.thumbnailMode);
    EXPECT_EQ(v().view.currentPage, 7);
    EXPECT_EQ(v().view.pageCounterText, "7/10");
    v().frame.thumbnailMode = true;
    harness->doubleClick();
    frames(1);
    EXPECT_FALSE(v().frame.thumbnailMode);
    EXPECT_EQ(v().view.currentPage, 7);
}

TEST_F(Sheet, SearchHitsAreMarkedOnACopyOnlyOnceTheSheetExists) {
    open(10);
    media::copySprite(sprite::page, sprite::markedSheet);  // a copy left from an earlier document
    v().search.searchHits.push_back(SearchHit{"", "", 4, 0});
    markHitsOnSheet(v());
    EXPECT_FALSE(media::spriteExists(sprite::markedSheet));
    buildSheet();
    markHitsOnSheet(v());
    ASSERT_TRUE(media::spriteExists(sprite::markedSheet));
    media::Colour marked = viewtest::spritePixel(sprite::markedSheet, 40, 300);
    EXPECT_GT(media::green(marked), media::green(sheetPixel(40, 300)));
    EXPECT_EQ(viewtest::spritePixel(sprite::markedSheet, 90 + 75, 255 + 127), media::rgb(1, 1, 1));
    EXPECT_TRUE(viewtest::near(viewtest::spritePixel(sprite::markedSheet, 90, 127), viewtest::pageColour(1)));
    v().frame.thumbnailMode = true;
    frames(1);
    EXPECT_TRUE(viewtest::near(harness->pixel(cell(4).screenX + 40, cell(4).screenY + 45), marked, 3));
}

}  // namespace
