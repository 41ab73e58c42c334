// The kept page with the real tool programs: across an exit, during a conversion, with --page, after a kill.
#include "view/kept_page.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <tuple>

#include "document/conversion.h"
#include "document/document.h"
#include "document/reading_place.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "tests/e2e/e2e_fixture.h"

namespace {

struct KeptPageTest : ::testing::Test {
    HardTimeLimit limit{200};
    std::string programFolder;  // shared by the runs of one case, as by runs of the program
    std::string documents = makeTemporaryFolder("kept-documents");
    std::unique_ptr<Harness> harness;

    Viewer& v() { return harness->v(); }
    void start(const std::string& pdf = {}) {  // and opens pdf if given
        harness.reset();                       // one display at a time
        harness.reset(new Harness({.realClock = true, .programFolder = programFolder}));
        programFolder = harness->programFolder();
        if (!pdf.empty()) harness->open(pdf);
    }
    std::string numberedPdf(int pages) {
        const std::string path = documents + "numbered " + std::to_string(pages) + ".pdf";
        EXPECT_TRUE(makeNumberedPdf(path, pages));
        return path;
    }
    static std::string cacheFolderOf(const std::string& root, const std::string& path) {
        return root + cacheFolderName(path, media::fileModificationTime(path)) + "/";
    }
    bool reached(const std::function<bool()>& done) { return harness->runUntil(done, 10000000, 5, 60.0); }
    bool converted(int pages) {
        return reached([&] { return conversionFinished(v(), pages) && v().sheet.sheetReady; });
    }
    // The page sprite shows the page's own picture (its PNG while converted, else its JPEG); 701 is free.
    bool showsPageFile(int page) {
        const auto column = [](int s) { return spritePixels(s, 90, 0, 1, media::spriteOwnHeight(s)); };
        return media::loadSprite(701, findPageImage(v(), page)) && column(701) == column(sprite::page);
    }
};

struct OpeningPage {
    int kept, requested, expected;  // kept in LastRead.txt before the first opening, asked by --page; 0 none
};

class KeptPageOpening : public KeptPageTest, public ::testing::WithParamInterface<OpeningPage> {};

}  // namespace

// The pages turned quicker than a second apart: the exit writes the last one.
TEST_F(KeptPageTest, ReadToPageSevenExitAndReopenThere) {
    const std::string pdf = numberedPdf(10);
    start(pdf);
    ASSERT_TRUE(converted(10));
    for (int turn = 0; turn < 6; ++turn) harness->tapKey(media::scan::pageDown);
    ASSERT_EQ(v().view.currentPage, 7);
    harness->pressEscape();
    harness->frames(2);
    ASSERT_TRUE(harness->ended());
    start(pdf);
    ASSERT_TRUE(v().document.documentIsCached);
    EXPECT_EQ(std::tuple(v().view.currentPage, v().view.pageCounterText), std::tuple(7, "7/10"));
    EXPECT_TRUE(showsPageFile(7));
    harness->tapKey(media::scan::home);
    EXPECT_EQ(v().view.currentPage, 1);  // Home still goes to page 1
}

// Page 1 shows first while the document is converted, the wanted page once it is made; a cached
// opening shows it at once.
TEST_P(KeptPageOpening, ShowsPageOneFirstThenTheWantedPage) {
    const OpeningPage c = GetParam();
    start();
    const std::string pdf = numberedPdf(8), folder = cacheFolderOf(v().layout.cacheRoot, pdf);
    ASSERT_TRUE(media::createFolder(folder, false));
    ASSERT_TRUE(c.kept == 0 || writeReadingPlace(folder, {c.kept, pdf}));
    v().place.requestedPage = c.requested;
    harness->open(pdf);
    bool pageOneFirst = false;
    ASSERT_TRUE(reached([&] {
        pageOneFirst |= v().view.firstPageShown && v().view.currentPage == 1;
        return v().view.currentPage == c.expected && v().view.firstPageShown;
    }));
    EXPECT_TRUE(pageOneFirst);
    EXPECT_TRUE(showsPageFile(c.expected));
    EXPECT_EQ(readReadingPlace(folder).page, c.expected);
    ASSERT_TRUE(converted(8));
    harness->open(pdf);
    EXPECT_EQ(std::pair(v().document.documentIsCached, v().view.currentPage), std::pair(true, c.expected));
    EXPECT_TRUE(showsPageFile(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Pages, KeptPageOpening,
                         ::testing::ValuesIn(std::vector<OpeningPage>{
                             {6, 0, 6}, {20, 0, 1}, {6, 3, 3}, {0, 99, 8}}),
                         [](const auto& info) {
                             return "Kept" + std::to_string(info.param.kept) + "Asked" +
                                    std::to_string(info.param.requested);
                         });

// A viewer killed at any moment leaves a whole LastRead.txt, the page before or the page after; the
// next opening shows that page and clears the interrupted write away.
TEST_F(KeptPageTest, KilledWhileWritingLeavesTheOldPageOrTheNew) {
    programFolder = makeTemporaryFolder("kept-killed");
    const std::string pdf = numberedPdf(12), folder = cacheFolderOf(programFolder + "cache/", pdf);
    ASSERT_TRUE(media::createFolder(folder, true));
    std::mt19937 shuffle(21);
    int read = 0;
    for (int round = 0; round < 40; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {  // the viewer's keeping of the page, as fast as it can turn
            Viewer viewer;
            viewer.document.documentCacheFolder = folder;
            viewer.document.documentPath = pdf;
            viewer.document.pageCountShown = 12;
            media::useTestClock(true);
            beginKeepingPlace(viewer, 1);
            for (int turn = 0;; ++turn) {
                viewer.view.currentPage = 2 + turn % 11;
                media::advanceTestClock(1000);
                keepPlaceWritten(viewer);
            }
        }
        usleep(2000 + shuffle() % 8000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        if (!media::filePresent(folder + lastReadFileName)) continue;  // killed before its first write
        const ReadingPlace place = readReadingPlace(folder);
        ASSERT_TRUE(place.page >= 1 && place.page <= 12 && place.path == pdf) << place.page << place.path;
        ++read;
    }
    ASSERT_GT(read, 30);
    const int kept = readReadingPlace(folder).page;
    start(pdf);
    ASSERT_TRUE(reached([&] { return v().view.currentPage == kept; }));
    for (const std::string& name : filesIn(folder)) EXPECT_EQ(name.find(".part-"), std::string::npos) << name;
}
