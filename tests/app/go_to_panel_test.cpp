// The Go-to-page panel in running frames: opened by a tap on the page counter or Control+G, a number
// typed on either keyboard, Return or Go, a number that names no page, Cancel, a page not ready yet.
#include <algorithm>
#include <string>

#include "app/entry_panel.h"
#include "media/input/input.h"
#include "tests/view/view_fixture.h"

namespace {

namespace scan = media::scan;

class GoToPanel : public viewtest::ByPointer<viewtest::ViewerWithPages> {
protected:
    // Pages of half the usual size are quicker to write and fit the screen the same.
    void openPages(int count, std::initializer_list<int> missing = {}) { open(count, 620, 877, {}, missing); }
    void tapCounter() {
        harness->clickAt(v().layout.screenWidth / 2,
                         v().frame.pageCounterY + media::spriteHeight(sprite::pageCounter) / 2);
    }
    void type(const std::string& text) {
        harness->type(text);
        frames(1);
    }
    // The panel's button (Go) or Cancel, where displayEntryPanel shows them.
    void clickButton(bool cancel) {
        const auto rows = entryPanelRows(v(), {sprite::goToPanel, sprite::goToGo, sprite::goToCancel});
        const int x = v().layout.screenWidth / 2 - media::spriteWidth(sprite::goToPanel) / 2 + rows.buttonX;
        const int y = media::spriteHeight(sprite::toolbar) + (cancel ? rows.cancelY : rows.fieldY);
        harness->clickAt(x + media::spriteWidth(sprite::goToGo) / 2, y + rows.fieldHeight / 2);
    }
    // A key of the on-screen keyboard's lower face by its label.
    void tapKeyLabelled(const std::string& label) {
        const KeyboardState& k = v().keyboard;
        const auto key = std::ranges::find(k.lowerKeys, label, &KeyEntry::label);
        ASSERT_NE(key, k.lowerKeys.end()) << "no key " << label;
        harness->clickAt(k.keyboardX + key->x + key->width / 2, k.keyboardY + key->y + key->height / 2);
    }
    bool panelOpen() { return v().goToPanel.goToPanelOpen; }
    int page() { return v().view.currentPage; }
};

INSTANTIATE_TEST_SUITE_P(Pointer, GoToPanel, pointerStyles, pointerStyleName);

}  // namespace

TEST_P(GoToPanel, ATapOnTheCounterOpensItAndATypedNumberWithReturnGoesThere) {
    openPages(5);
    tapCounter();
    ASSERT_TRUE(panelOpen());
    EXPECT_FALSE(v().view.panAnimating) << "the tap glides nothing";
    type("4");
    harness->pressKeys({scan::space});  // the panel keeps the keys that turn pages
    EXPECT_EQ(std::pair(page(), v().goToPanel.typedNumber), std::pair(1, std::string("4")));
    harness->pressKeys({scan::enter});
    EXPECT_EQ(std::tuple(panelOpen(), page(), v().view.pageCounterText), std::tuple(false, 4, "4/5"));
}

TEST_P(GoToPanel, TheOnScreenKeyboardTypesDigitsOnlyAndGoGoesThere) {
    openPages(5);
    v().frame.searchPanelOpen = v().frame.searchInputActive = v().frame.textViewOpen = true;
    harness->pressKeys({scan::leftControl, scan::g});
    EXPECT_FALSE(panelOpen()) << "the search word takes the keys";
    v().frame.searchPanelOpen = v().frame.searchInputActive = false;
    harness->pressKeys({scan::leftControl, scan::g});
    ASSERT_TRUE(panelOpen());
    EXPECT_FALSE(v().frame.textViewOpen);
    ASSERT_FALSE(v().keyboard.lowerKeys.empty());
    tapKeyLabelled("a");
    tapKeyLabelled("3");
    EXPECT_EQ(v().goToPanel.typedNumber, "3");
    clickButton(false);
    EXPECT_EQ(std::pair(panelOpen(), page()), std::pair(false, 3));
}

TEST_P(GoToPanel, ANumberThatNamesNoPageIsSaidSoAndCancelLeavesThePageAsItWas) {
    openPages(5);
    harness->pressKeys({scan::rightControl, scan::g});
    for (const std::string number : {"9", "0"}) {
        type(number);
        harness->pressKeys({scan::keypadEnter});
        ASSERT_TRUE(panelOpen());
        EXPECT_EQ(v().goToPanel.missingPage, std::stoi(number));
        EXPECT_EQ(v().goToPanel.drawnMissingPage, std::stoi(number)) << "the panel says so";
        EXPECT_EQ(v().goToPanel.typedNumber, "");
    }
    harness->pressKeys({scan::enter});  // an empty field goes nowhere
    EXPECT_TRUE(panelOpen());
    type("2");
    clickButton(true);
    EXPECT_EQ(std::pair(panelOpen(), page()), std::pair(false, 1));
}

// A page not made yet: the notice shows, the page shown stays, and the page comes in its place once a
// converter's end finds its file there.
TEST_P(GoToPanel, APageNotReadyComesInPlaceOfTheNotice) {
    openPages(5, {4});
    tapCounter();
    type("4");
    harness->pressKeys({scan::enter});
    EXPECT_EQ(std::tuple(page(), v().view.pageNotReady, v().view.awaitedPage), std::tuple(1, true, 4));
    frames(2);
    EXPECT_EQ(page(), 1) << "no converter has ended";
    ASSERT_TRUE(viewtest::writePageFile(folder, 4, 620, 877, false));
    v().conversion.convertersEnded += 1;
    frames(1);
    EXPECT_EQ(std::tuple(page(), v().view.pageNotReady, v().view.awaitedPage), std::tuple(4, false, 0));
    EXPECT_TRUE(viewtest::near(harness->pixel(540, 960), viewtest::pageColour(4)));
}

TEST_P(GoToPanel, NeitherOpensOnTheSheetNorWithoutADocument) {
    openPages(3);
    v().frame.thumbnailMode = true;
    harness->pressKeys({scan::leftControl, scan::g});
    EXPECT_FALSE(panelOpen());
    v().frame.thumbnailMode = false;
    v().document.documentCacheFolder.clear();
    tapCounter();
    EXPECT_FALSE(panelOpen());
}
