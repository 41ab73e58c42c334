// The sheet with the real tool programs: a 10-page document converted, its sheet built and saved,
// a page picked from it, and the same cells read back from the saved file on the next opening.
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "media/display/display.h"
#include "tests/support/pdf_maker.h"
#include "tests/view/view_fixture.h"
#include "view/sheet.h"

namespace {

std::tuple<int, int, int, int> place(const ThumbnailCell& c) {
    return {c.screenX, c.screenY, c.width, c.height};
}

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
    EXPECT_EQ(std::pair(v.view.pageFitWidth, v.view.pageFitHeight), std::pair(764.0f, 1080.0f));
    EXPECT_EQ(std::tuple(v.sheet.sheetColumns, v.sheet.sheetRows, v.sheet.sheetCellWidth,
                         v.sheet.sheetCellHeight, v.sheet.sheetEndRow),
              std::tuple(3, 5, 180, 255, 1020));
    EXPECT_EQ(std::pair(media::spriteOwnWidth(sprite::thumbnailSheet),
                        media::spriteOwnHeight(sprite::thumbnailSheet)),
              std::pair(765, 1080));
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
    for (std::size_t i = 0; i < built.size(); ++i)
        EXPECT_EQ(place(v.sheet.thumbnailCells[i]), place(built[i])) << i;
    v.frame.thumbnailMode = true;
    pickPage(h, 3);
    EXPECT_EQ(v.view.currentPage, 3);
}

}  // namespace
