// Frame tests of the physical keyboard and the mouse wheel: every key of the table on the page view
// and on the sheet, the wheel, the not-ready notice, the page-file worker's hold on turning, and the
// panels and dialogs that keep the keys.
#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "tests/view/view_fixture.h"

namespace {

namespace scan = media::scan;

constexpr int none = -1;

struct KeyCase {
    const char* name;
    std::vector<int> keys;  // held together, pressed in this order
    bool onSheet;
    int page;          // the page shown afterwards
    float zoomFactor;  // on the page view: afterwards (two steps in before)
    int cell;          // on the sheet: the highlight afterwards (cell 4 before), none when it closed
};

void PrintTo(const KeyCase& c, std::ostream* out) {
    *out << c.name;
}

constexpr float twoSteps = 1.5625f;

class Keys : public viewtest::ViewerWithPages {
protected:
    // Pages of half the usual size are quicker to write and fit the screen the same: 764 x 1080.
    void openPages(int count, std::initializer_list<int> missing = {}) { open(count, 620, 877, {}, missing); }
    void pressKeys(const std::vector<int>& keys) {
        for (int key : keys) harness->keyDown(key);
        frames(1);
        for (auto key = keys.rbegin(); key != keys.rend(); ++key) harness->keyUp(*key);
        frames(1);
    }
    void showPageNumber(int page) {
        v().view.currentPage = page;
        ASSERT_TRUE(showPage(v()));
    }
    void wheel(int notches) {
        media::feedMouseWheel(notches);
        frames(1);
    }
    int page() { return v().view.currentPage; }
};

class KeyTable : public Keys, public testing::WithParamInterface<KeyCase> {};

TEST_P(KeyTable, EachKeyActsAsItsPressWould) {
    const KeyCase& c = GetParam();
    openPages(c.onSheet ? 10 : 5);
    moveTo(900, 150);  // away from the page, the sheet, the strips and the tool bar
    frames(1);
    if (c.onSheet) {
        buildSheet();
        showPageNumber(2);
        v().frame.thumbnailMode = 1;
        v().sheet.keyboardCell = 4;
    } else {
        showPageNumber(3);
        zoomStepAbout(v(), 2.5f, 540, 960);
        zoomStepAbout(v(), 2.5f, 540, 960);
    }
    pressKeys(c.keys);
    EXPECT_EQ(page(), c.page);
    EXPECT_EQ(v().view.pageCounterText, std::to_string(c.page) + (c.onSheet ? "/10" : "/5"));
    EXPECT_EQ(v().frame.thumbnailMode, c.onSheet && c.cell != none ? 1 : 0);
    if (c.onSheet) {
        ASSERT_EQ(v().sheet.keyboardCell, c.cell);
        if (c.cell == none) return;
        const ThumbnailCell& cell = v().sheet.thumbnailCells.at(c.cell);
        EXPECT_GT(media::blue(harness->pixel(cell.screenX + 20, cell.screenY + 20)),
                  media::blue(viewtest::pageColour(cell.page)) + 10)
            << "the highlight is drawn";
        return;
    }
    EXPECT_NEAR(v().view.zoomFactor, c.zoomFactor, 1e-4);
    EXPECT_EQ(media::spriteWidth(sprite::page), static_cast<int>(std::lround(764 * c.zoomFactor)));
    // About the screen's centre: the page's middle stays there, within the steps' pixel rounding.
    const int middleX = v().view.pageX + v().view.zoomOffsetX + media::spriteWidth(sprite::page) / 2;
    const int middleY = v().view.pageY + v().view.zoomOffsetY + media::spriteHeight(sprite::page) / 2;
    EXPECT_NEAR(middleX, 540, 2);
    EXPECT_NEAR(middleY, 960, 2);
}

const KeyCase keyCases[] = {
    KeyCase{"PageDown", {scan::pageDown}, false, 4, 1.0f, 0},
    KeyCase{"Right", {scan::right}, false, 4, 1.0f, 0},
    KeyCase{"Down", {scan::down}, false, 4, 1.0f, 0},
    KeyCase{"Space", {scan::space}, false, 4, 1.0f, 0},
    KeyCase{"PageUp", {scan::pageUp}, false, 2, 1.0f, 0},
    KeyCase{"Left", {scan::left}, false, 2, 1.0f, 0},
    KeyCase{"Up", {scan::up}, false, 2, 1.0f, 0},
    KeyCase{"Backspace", {scan::backspace}, false, 2, 1.0f, 0},
    KeyCase{"Home", {scan::home}, false, 1, 1.0f, 0},
    KeyCase{"End", {scan::end}, false, 5, 1.0f, 0},
    KeyCase{"ControlHomeStillFirst", {scan::leftControl, scan::home}, false, 1, 1.0f, 0},
    KeyCase{"ReturnOnThePage", {scan::enter}, false, 3, twoSteps, 0},
    KeyCase{"ControlEquals", {scan::leftControl, scan::equals}, false, 3, twoSteps * 1.25f, 0},
    KeyCase{"RightControlKeypadPlus", {scan::rightControl, scan::keypadPlus}, false, 3, twoSteps * 1.25f, 0},
    KeyCase{"ControlMinus", {scan::leftControl, scan::minus}, false, 3, 1.25f, 0},
    KeyCase{"ControlKeypadMinus", {scan::leftControl, scan::keypadMinus}, false, 3, 1.25f, 0},
    KeyCase{"ControlZero", {scan::leftControl, scan::zero}, false, 3, 1.0f, 0},
    KeyCase{"EqualsAlone", {scan::equals}, false, 3, twoSteps, 0},
    KeyCase{"ZeroAlone", {scan::zero}, false, 3, twoSteps, 0},
    KeyCase{"SheetRight", {scan::right}, true, 2, 1.0f, 5},
    KeyCase{"SheetLeft", {scan::left}, true, 2, 1.0f, 3},
    KeyCase{"SheetDown", {scan::down}, true, 2, 1.0f, 7},
    KeyCase{"SheetUp", {scan::up}, true, 2, 1.0f, 1},
    KeyCase{"SheetHome", {scan::home}, true, 2, 1.0f, 0},
    KeyCase{"SheetEnd", {scan::end}, true, 2, 1.0f, 9},
    KeyCase{"SheetPageDownTurnsNothing", {scan::pageDown}, true, 2, 1.0f, 4},
    KeyCase{"SheetControlPlusZoomsNothing", {scan::leftControl, scan::equals}, true, 2, 1.0f, 4},
    KeyCase{"SheetReturnOpensTheHighlightedPage", {scan::enter}, true, 5, 1.0f, none},
    KeyCase{"SheetKeypadEnter", {scan::keypadEnter}, true, 5, 1.0f, none},
};

INSTANTIATE_TEST_SUITE_P(Keys, KeyTable, testing::ValuesIn(keyCases),
                         [](const testing::TestParamInfo<KeyCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(Keys, OnTheSheetTheFirstArrowShowsThePageShownAndTheLastRowIsReachedFromAbove) {
    openPages(10);  // 3 columns: cells 0-2, 3-5, 6-8, and 9 alone
    buildSheet();
    moveTo(900, 150);
    showPageNumber(8);
    v().frame.thumbnailMode = 1;
    pressKeys({scan::right});
    EXPECT_EQ(v().sheet.keyboardCell, 7);
    pressKeys({scan::down});
    EXPECT_EQ(v().sheet.keyboardCell, 9);  // below cell 7 is no cell: the last one
    pressKeys({scan::down});
    EXPECT_EQ(v().sheet.keyboardCell, 9);
    v().frame.thumbnailMode = 0;
    frames(1);
    v().frame.thumbnailMode = 1;
    frames(1);
    EXPECT_EQ(v().sheet.keyboardCell, none) << "the sheet opens again without the old highlight";
}

TEST_F(Keys, WheelTurnsOnePagePerNotchDownForwardAndOnlyOnThePageView) {
    openPages(5);
    wheel(-1);
    EXPECT_EQ(page(), 2);
    wheel(-2);
    EXPECT_EQ(page(), 4);
    wheel(1);
    EXPECT_EQ(page(), 3);
    wheel(-9);
    EXPECT_EQ(page(), 5);
    EXPECT_EQ(v().view.pageNotReady, 0) << "past the last page is no missing page";
    wheel(-1);
    EXPECT_EQ(page(), 5);
    v().frame.thumbnailMode = 1;
    wheel(3);
    EXPECT_EQ(page(), 5);
}

TEST_F(Keys, APageNotReadyShowsTheNoticeForFlipsAndJumpsAlike) {
    openPages(5, {3, 5});
    showPageNumber(2);
    pressKeys({scan::right});
    EXPECT_EQ(page(), 2);
    EXPECT_EQ(v().view.pageNotReady, 1);
    EXPECT_TRUE(viewtest::near(harness->pixel(540, 960), media::rgb(100, 100, 100), 60));
    pressKeys({scan::end});
    EXPECT_EQ(page(), 2);
    EXPECT_EQ(v().view.pageNotReady, 1);
    viewtest::writePageFile(folder, 5, 620, 877, true);
    pressKeys({scan::end});
    EXPECT_EQ(page(), 5);
    EXPECT_EQ(v().view.pageNotReady, 0);
    EXPECT_TRUE(viewtest::near(harness->pixel(540, 700), viewtest::pageColour(5)));
}

TEST_F(Keys, ThePageFileWorkersRunHoldsEveryTurnButNotTheZoom) {
    openPages(5);
    showPageNumber(3);
    v().conversion.workerRunning = 1;
    for (int key : {scan::pageDown, scan::left, scan::home, scan::end}) pressKeys({key});
    wheel(-1);
    EXPECT_EQ(page(), 3);
    pressKeys({scan::leftControl, scan::equals});
    EXPECT_FLOAT_EQ(v().view.zoomFactor, 1.25f);
    v().conversion.workerRunning = 0;
    pressKeys({scan::pageDown});
    EXPECT_EQ(page(), 4);
}

// A chooser that answers nothing (a cancel) once the test creates the go file.
struct HeldChooser {
    std::string folder = makeTemporaryFolder("pagewell-keys-chooser");
    HeldChooser() {
        std::string script = folder + "chooser";
        std::ofstream(script) << "#!/bin/sh\nwhile [ ! -e '" << folder << "go' ]; do sleep 0.01; done\n";
        chmod(script.c_str(), 0755);
        setenv("PAGEWELL_FILE_DIALOG", script.c_str(), 1);
    }
    ~HeldChooser() { setenv("PAGEWELL_FILE_DIALOG", "", 1); }
    void letGo() const { std::ofstream(folder + "go") << "go"; }
};

TEST_F(Keys, TypingInTheSearchAndAnOpenDialogKeepTheKeys) {
    openPages(5);
    HeldChooser chooser;
    Viewer& viewer = v();
    viewer.frame.searchPanelOpen = 1;
    viewer.frame.searchInputActive = 1;
    viewer.search.searchWord = "ab";
    for (int key : {scan::space, scan::pageDown, scan::end, scan::backspace}) pressKeys({key});
    pressKeys({scan::leftControl, scan::o});
    EXPECT_EQ(page(), 1);
    EXPECT_EQ(viewer.search.searchWord, "a") << "Backspace kept its meaning";
    EXPECT_FALSE(media::dialogRunning());
    viewer.frame.searchInputActive = 0;
    pressKeys({scan::rightControl, scan::o});
    ASSERT_TRUE(media::fileChooserRunning());
    pressKeys({scan::pageDown});
    wheel(-1);
    EXPECT_EQ(page(), 1);
    chooser.letGo();
    ASSERT_TRUE(harness->runUntil([] { return !media::dialogRunning(); }, 4000, 5));
    pressKeys({scan::pageDown});
    EXPECT_EQ(page(), 2);
}

}  // namespace
