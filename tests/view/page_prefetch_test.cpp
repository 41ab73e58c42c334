// The neighbours of the shown page decoded ahead: which files, and the turn that takes them.
#include "view/page_prefetch.h"

#include <filesystem>

#include "document/conversion.h"
#include "media/display/display.h"
#include "media/system/system.h"
#include "tests/support/polling.h"
#include "tests/view/view_fixture.h"
#include "view/sheet.h"

namespace {

class PagePrefetch : public viewtest::ViewerWithPages {
protected:
    std::string file(int page, const char* extension) { return pageImageBase(v(), page) + extension; }
    bool becomesReady(const std::string& name) {
        return eventually([&] { return media::prefetchedImageReady(name); }, 10.0,
                          [&] {
                              frames(1);
                              media::sleepMilliseconds(2);
                          });
    }
    // The pointer on the forward strip, the strip lit, its page decoded ahead and made ready between
    // two frames; then the press frame, which only shows it: it scales no picture while drawing.
    void pressForwardStrip(const std::string& expectedFile) {
        moveInFrame(v().layout.screenWidth - 3, 960);
        ASSERT_TRUE(becomesReady(expectedFile));
        frames(2);
        const std::int64_t scaled = media::frameCounts().scaledInFrames;
        press();
        EXPECT_EQ(media::frameCounts().scaledInFrames, scaled) << "the press frame decoded the page itself";
        release();
    }
};

TEST_F(PagePrefetch, NeighboursInTheOrderOfTheLitStripJpegBeforePngNoneWhileTheWorkerRunsTheSheetFirst) {
    open(5, 400, 560, {}, {4});
    ASSERT_TRUE(viewtest::writePageFile(folder, 2, 400, 560, false));  // page 2 has both files
    ASSERT_TRUE(viewtest::writePageFile(folder, 4, 400, 560, false));  // page 4 only its PNG
    using Files = std::vector<std::string>;
    EXPECT_EQ(neighbourPageFiles(v()), (Files{file(2, ".jpg")})) << "page 1 has no previous page";
    v().view.currentPage = 3;
    EXPECT_EQ(neighbourPageFiles(v()), (Files{file(4, ".png"), file(2, ".jpg")}));
    v().frame.backStripHovered = true;
    EXPECT_EQ(neighbourPageFiles(v()), (Files{file(2, ".jpg"), file(4, ".png")}));
    v().view.currentPage = 5;
    EXPECT_EQ(neighbourPageFiles(v()), (Files{file(4, ".png")})) << "page 5 is the last";
    v().view.firstPageShown = false;  // an opening: page 1, waited on, before its frame
    v().view.awaitedPage = 1;
    EXPECT_EQ(neighbourPageFiles(v()), (Files{file(1, ".jpg")}));
    v().view.awaitedPage = 0;
    EXPECT_TRUE(neighbourPageFiles(v()).empty());
    v().view.firstPageShown = true;
    v().view.currentPage = 3;
    v().view.awaitedPage = 5;  // asked for while not ready: before the neighbours, each named once
    EXPECT_EQ(neighbourPageFiles(v()), (Files{file(5, ".jpg"), file(2, ".jpg"), file(4, ".png")}));
    v().view.awaitedPage = 4;
    EXPECT_EQ(neighbourPageFiles(v()), (Files{file(4, ".png"), file(2, ".jpg")}));
    v().view.awaitedPage = 0;
    v().view.currentPage = 5;
    v().conversion.workerRunning = true;
    EXPECT_TRUE(neighbourPageFiles(v()).empty());
    // A cached document's saved sheet waiting to be loaded comes before any page, worker or not.
    v().sheet.sheetLoadPending = true;
    EXPECT_EQ(neighbourPageFiles(v()), (Files{sheetFile(v())}));
    v().conversion.workerRunning = false;
    EXPECT_EQ(neighbourPageFiles(v()), (Files{sheetFile(v()), file(4, ".png")}));
}

TEST_F(PagePrefetch, StripPressShowsTheDecodedPageInItsFrame) {
    open(4, 620, 877);
    for (int page : {2, 3}) {
        pressForwardStrip(file(page, ".jpg"));
        EXPECT_EQ(v().view.currentPage, page);
        EXPECT_TRUE(viewtest::near(harness->pixel(540, 700), viewtest::pageColour(page)));
        EXPECT_EQ(media::spriteOwnWidth(sprite::page), 620);
    }
}

// The worker replaced page 3's PNG by its JPEG after the PNG was decoded ahead: the press shows the
// JPEG, as it would without prefetching.
TEST_F(PagePrefetch, PngReplacedByItsJpegAfterTheDecodeShowsTheJpeg) {
    open(3, 620, 877, {}, {2, 3});
    for (int page : {2, 3}) ASSERT_TRUE(viewtest::writePageFile(folder, page, 620, 877, false));
    pressForwardStrip(file(2, ".png"));
    ASSERT_EQ(v().view.currentPage, 2);
    ASSERT_TRUE(viewtest::near(harness->pixel(540, 700), viewtest::pageColour(2)));
    moveTo(v().layout.screenWidth - 3, 960);
    ASSERT_TRUE(becomesReady(file(3, ".png")));
    ASSERT_TRUE(viewtest::writePageFile(folder, 5, 620, 877, true));  // another colour, as page 3's JPEG
    std::filesystem::rename(file(5, ".jpg"), file(3, ".jpg"));
    media::deleteFile(file(3, ".png"));
    press();
    release();
    EXPECT_EQ(v().view.currentPage, 3);
    EXPECT_TRUE(viewtest::near(harness->pixel(540, 700), viewtest::pageColour(5)));
}

}  // namespace
