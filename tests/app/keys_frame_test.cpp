// Frame tests of the physical keyboard and the mouse wheel: every key of the table on the page view
// and on the sheet, the wheel, the not-ready notice and the page-file worker's hold on turning, and
// the typing panel and the dialog that keep the keys.
#include <cmath>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "tests/support/scratch.h"
#include "tests/support/x_server.h"
#include "tests/view/view_fixture.h"

namespace {

namespace scan = media::scan;

constexpr int none = -1;

struct KeyCase {
    const char* name;
    std::vector<std::vector<int>> presses;  // each from the same start: keys held together, in order
    int page;                               // the page shown afterwards
    float zoomFactor;                       // on the page view, afterwards
    bool onSheet = false;                   // 10 pages with page 2 shown, else 5 with page 3 shown
    int fromCell = none, cell = none;       // on the sheet: the highlight before and after
};

void PrintTo(const KeyCase& c, std::ostream* out) {
    *out << c.name;
}

class Keys : public viewtest::ViewerWithPages {
protected:
    // Pages of half the usual size are quicker to write and fit the screen the same: 764 x 1080.
    void openPages(int count, std::initializer_list<int> missing = {}) {
        open(count, 620, 877, {}, missing);
        moveTo(900, 150);  // away from the page, the sheet, the strips and the tool bar
    }
    void pressKeys(const std::vector<int>& keys) {
        for (int key : keys) harness->keyDown(key);
        frames(1);
        for (auto key = keys.rbegin(); key != keys.rend(); ++key) harness->keyUp(*key);
        frames(1);
    }
    void wheel(int notches) {
        media::feedMouseWheel(notches);
        frames(1);
    }
    int page() { return v().view.currentPage; }
};

class KeyTable : public Keys, public testing::WithParamInterface<KeyCase> {
protected:
    void start(const KeyCase& c) {
        v().view.currentPage = c.onSheet ? 2 : 3;
        ASSERT_TRUE(showPage(v()));
        v().frame.thumbnailMode = c.onSheet;
        v().sheet.keyboardCell = c.fromCell;
        for (int step = 0; step < 2 && !c.onSheet; ++step) zoomStepAbout(v(), 2.5f, 540, 960);
    }
    void check(const KeyCase& c) {
        EXPECT_EQ(v().view.pageCounterText, std::to_string(c.page) + (c.onSheet ? "/10" : "/5"));
        EXPECT_EQ(v().frame.thumbnailMode, c.onSheet && c.cell != none);
        ASSERT_EQ(v().sheet.keyboardCell, c.cell);
        if (c.cell != none) {
            const ThumbnailCell& cell = v().sheet.thumbnailCells.at(c.cell);
            EXPECT_GT(media::blue(harness->pixel(cell.screenX + 20, cell.screenY + 20)),
                      media::blue(viewtest::pageColour(cell.page)) + 10)
                << "the highlight is drawn";
        }
        if (c.onSheet) return;
        EXPECT_NEAR(v().view.zoomFactor, c.zoomFactor, 1e-4);
        EXPECT_EQ(media::spriteWidth(sprite::page), static_cast<int>(std::lround(764 * c.zoomFactor)));
        // About the screen's centre: the page's middle stays there, within the steps' pixel rounding.
        EXPECT_NEAR(v().view.pageX + v().view.zoomOffsetX + media::spriteWidth(sprite::page) / 2, 540, 2);
        EXPECT_NEAR(v().view.pageY + v().view.zoomOffsetY + media::spriteHeight(sprite::page) / 2, 960, 2);
    }
};

TEST_P(KeyTable, EachKeyActsAsItsPressWould) {
    const KeyCase& c = GetParam();
    openPages(c.onSheet ? 10 : 5);
    if (c.onSheet) buildSheet();
    for (const std::vector<int>& keys : c.presses) {
        SCOPED_TRACE(keys.back());
        start(c);
        pressKeys(keys);
        check(c);
    }
}

constexpr int control = scan::leftControl;
const KeyCase keyCases[] = {
    {"Next", {{scan::pageDown}, {scan::right}, {scan::down}, {scan::space}}, 4, 1.0f},
    {"Previous", {{scan::pageUp}, {scan::left}, {scan::up}, {scan::backspace}}, 2, 1.0f},
    {"First", {{scan::home}}, 1, 1.0f},
    {"Last", {{scan::end}}, 5, 1.0f},
    {"ZoomIn", {{control, scan::equals}, {scan::rightControl, scan::keypadPlus}}, 3, 1.953125f},
    {"ZoomOut", {{control, scan::minus}, {control, scan::keypadMinus}}, 3, 1.25f},
    {"Fit", {{control, scan::zero}, {control, scan::keypadZero}}, 3, 1.0f},
    {"EqualsZeroReturnAlone", {{scan::equals}, {scan::zero}, {scan::enter}}, 3, 1.5625f},
    {"SheetFirstArrowShowsThePageShown", {{scan::right}}, 2, 1.0f, true, none, 1},
    {"SheetRight", {{scan::right}}, 2, 1.0f, true, 7, 8},
    {"SheetLeft", {{scan::left}}, 2, 1.0f, true, 7, 6},
    {"SheetDownIntoTheShortLastRow", {{scan::down}}, 2, 1.0f, true, 7, 9},
    {"SheetUp", {{scan::up}}, 2, 1.0f, true, 7, 4},
    {"SheetHome", {{scan::home}}, 2, 1.0f, true, 7, 0},
    {"SheetEnd", {{scan::end}}, 2, 1.0f, true, 4, 9},
    {"SheetNoTurnNorZoom", {{scan::pageDown}, {control, scan::equals}}, 2, 1.0f, true, 7, 7},
    {"SheetReturnOpensTheHighlightedPage", {{scan::enter}, {scan::keypadEnter}}, 8, 1.0f, true, 7, none},
};

INSTANTIATE_TEST_SUITE_P(Keys, KeyTable, testing::ValuesIn(keyCases),
                         [](const testing::TestParamInfo<KeyCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(Keys, WheelAndKeysTurnAsStripsDoStoppingAtMissingPagesAndWhileTheWorkerRuns) {
    openPages(6, {4, 6});
    wheel(-2);  // toward the user: on
    EXPECT_EQ(page(), 3);
    pressKeys({scan::end});  // a jump to a missing page is refused as a flip is
    EXPECT_EQ(page(), 3);
    EXPECT_TRUE(v().view.pageNotReady);
    wheel(1);
    EXPECT_EQ(page(), 2);
    EXPECT_FALSE(v().view.pageNotReady);
    wheel(-3);  // the turns stop at the first missing page
    EXPECT_EQ(page(), 3);
    EXPECT_TRUE(v().view.pageNotReady);
    EXPECT_TRUE(viewtest::near(harness->pixel(540, 960), media::rgb(100, 100, 100), 60));
    v().conversion.workerRunning = true;
    for (int key : {scan::pageUp, scan::left, scan::home}) pressKeys({key});
    wheel(1);
    EXPECT_EQ(page(), 3);
    v().conversion.workerRunning = false;
    v().frame.thumbnailMode = true;  // the wheel turns only the page view
    wheel(1);
    EXPECT_EQ(page(), 3);
}

// A chooser that answers nothing (a cancel) once the test creates the go file.
struct HeldChooser {
    std::string folder = makeTemporaryFolder("pagewell-keys-chooser");
    ScopedVariable dialog{"PAGEWELL_FILE_DIALOG", (folder + "chooser").c_str()};
    HeldChooser() {
        writeScript(folder + "chooser", "while [ ! -e '" + folder + "go' ]; do sleep 0.01; done\n");
    }
};

TEST_F(Keys, TypingInTheSearchOrAPasswordAndAnOpenDialogKeepTheKeys) {
    openPages(3);
    HeldChooser chooser;
    v().frame.searchPanelOpen = true;
    v().frame.searchInputActive = true;
    v().search.searchWord = "ab";
    for (int key : {scan::space, scan::pageDown, scan::backspace}) pressKeys({key});
    pressKeys({scan::leftControl, scan::o});
    EXPECT_EQ(page(), 1);
    EXPECT_EQ(v().search.searchWord, "a") << "Backspace kept its meaning";
    EXPECT_FALSE(media::dialogRunning());
    v().frame.searchInputActive = false;
    v().password.passwordPanelOpen = true;
    pressKeys({scan::pageDown});
    EXPECT_EQ(page(), 1) << "the password panel keeps the keys";
    v().password.passwordPanelOpen = false;
    pressKeys({scan::rightControl, scan::o});
    ASSERT_TRUE(media::fileChooserRunning());
    pressKeys({scan::pageDown});
    wheel(-1);
    EXPECT_EQ(page(), 1);
    std::ofstream(chooser.folder + "go") << "go";
    ASSERT_TRUE(harness->runUntil([] { return !media::dialogRunning(); }, 4000));
    pressKeys({scan::pageDown});
    EXPECT_EQ(page(), 2);
}

}  // namespace
