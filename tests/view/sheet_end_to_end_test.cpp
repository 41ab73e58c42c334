// The sheet with the real tool programs: a 10-page document converted, its sheet built and saved,
// a page picked from it, and the same cells read back from the saved file on the next opening.
#include <string>
#include <vector>

#include "media/display/display.h"
#include "tests/support/pdf_maker.h"
#include "tests/view/view_fixture.h"
#include "view/sheet.h"

namespace {

void pickPage(Harness& h, int page) {
    const ThumbnailCell& cell = h.v().sheet.thumbnailCells.at(page - 1);
    h.frames(1);  // a pointer placed by the opening arrives as motion in the next frame
    h.moveTo(cell.screenX + cell.width / 2, cell.screenY + cell.height / 2);
    h.frames(2);
    h.press();
    h.frames(1);
    h.release();
    h.frames(2);
}

TEST(SheetEndToEnd, TenPageDocumentGivesTheWorkedGridAndReopensFromTheTrailer) {
    Harness h({.realClock = true});
    ASSERT_TRUE(h.started());
    std::string pdf = makeTemporaryFolder("view-e2e") + "ten.pdf";
    ASSERT_TRUE(makeNumberedPdf(pdf, 10));
    h.open(pdf);
    ASSERT_TRUE(h.runUntil([&] { return h.v().sheet.sheetReady; }, 1000000, 5, 180.0));
    Viewer& v = h.v();
    EXPECT_EQ(v.view.pageFitWidth, 764.0f);
    EXPECT_EQ(v.view.pageFitHeight, 1080.0f);
    EXPECT_EQ(v.sheet.sheetColumns, 3);
    EXPECT_EQ(v.sheet.sheetRows, 5);
    EXPECT_EQ(v.sheet.sheetCellWidth, 180);
    EXPECT_EQ(v.sheet.sheetCellHeight, 255);
    EXPECT_EQ(v.sheet.sheetEndRow, 1020);
    EXPECT_EQ(media::spriteOwnWidth(sprite::thumbnailSheet), 765);
    EXPECT_EQ(media::spriteOwnHeight(sprite::thumbnailSheet), 1080);
    ASSERT_EQ(v.sheet.thumbnailCells.size(), 10u);
    std::vector<ThumbnailCell> built = v.sheet.thumbnailCells;

    v.frame.thumbnailMode = true;
    pickPage(h, 7);
    EXPECT_FALSE(v.frame.thumbnailMode);
    EXPECT_EQ(v.view.currentPage, 7);
    EXPECT_EQ(v.view.pageCounterText, "7/10");

    h.open(pdf);
    EXPECT_TRUE(v.document.documentIsCached);
    ASSERT_TRUE(h.runUntil([&] { return v.sheet.sheetReady; }, 100000, 5, 30.0));
    EXPECT_FALSE(v.sheet.sheetJustBuilt);
    EXPECT_FALSE(v.conversion.thumbnailsWanted);
    ASSERT_EQ(v.sheet.thumbnailCells.size(), built.size());
    for (std::size_t i = 0; i < built.size(); ++i) {
        EXPECT_EQ(v.sheet.thumbnailCells[i].screenX, built[i].screenX) << i;
        EXPECT_EQ(v.sheet.thumbnailCells[i].screenY, built[i].screenY) << i;
        EXPECT_EQ(v.sheet.thumbnailCells[i].width, built[i].width) << i;
        EXPECT_EQ(v.sheet.thumbnailCells[i].height, built[i].height) << i;
    }
    v.frame.thumbnailMode = true;
    pickPage(h, 3);
    EXPECT_EQ(v.view.currentPage, 3);
}

}  // namespace
