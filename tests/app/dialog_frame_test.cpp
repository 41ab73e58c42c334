// Frame tests of the Open button's chooser beside the loop: frames go on while it is up, presses on
// the viewer are dropped as a modal dialog's owner drops them, and the chosen file opens when it ends.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "app/app.h"
#include "media/desktop/desktop.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"
#include "tests/support/polling.h"
#include "tests/support/scratch.h"
#include "tests/support/x_server.h"

namespace {

constexpr int buttonY = 27;
constexpr int openX = 39, infoX = 149, exitX = 409;
constexpr int pageX = 540, pageY = 960;

// A chooser that answers with the path only once the test creates the go file.
struct HeldChooser {
    std::string folder = makeTemporaryFolder("pagewell-chooser");
    ScopedVariable dialog{"PAGEWELL_FILE_DIALOG", (folder + "chooser").c_str()};
    explicit HeldChooser(const std::string& answer) {
        writeScript(folder + "chooser",
                    "while [ ! -e '" + folder + "go' ]; do sleep 0.01; done\necho '" + answer + "'\n");
    }
    void letGo() const { std::ofstream(folder + "go") << "go"; }
};

// Frames until the chooser has ended and its answer has been taken; false after twenty seconds.
bool framesUntilChooserDone(Harness& h) {
    eventually([] { return !media::fileChooserRunning(); }, 20.0,
               [&] {
                   h.frames(1);
                   media::sleepMilliseconds(2);
               });
    h.frames(1);
    return !media::dialogRunning();
}

}  // namespace

TEST(DialogFrame, PressesAreDroppedWhileTheChooserIsUpAndTheChosenFileOpensWhenItEnds) {
    Harness h;
    ASSERT_TRUE(h.started());
    std::string document = h.programFolder() + "chosen two pages.pdf";
    ASSERT_TRUE(makeNumberedPdf(document, 2));
    HeldChooser chooser(document);

    h.clickAt(openX, buttonY);
    ASSERT_TRUE(media::fileChooserRunning());
    std::set<int> intensities;
    for (int frame = 0; frame < 22; ++frame) {
        h.frames(1);
        intensities.insert(h.v().frame.pointerIntensity);
    }
    EXPECT_GT(intensities.size(), 5u) << "the frames go on: the pointer pulses";
    h.clickAt(exitX, buttonY);
    EXPECT_FALSE(h.ended()) << "Exit pressed on the viewer while the chooser is up";
    h.clickAt(infoX, buttonY);
    EXPECT_FALSE(h.v().frame.infoPanelOpen);
    h.moveTo(pageX, pageY);
    h.frames(1);
    h.press();
    h.frames(1);
    EXPECT_FALSE(h.v().frame.pagePressed);
    h.release();
    h.frames(1);
    EXPECT_TRUE(h.v().document.documentPath.empty());

    chooser.letGo();
    ASSERT_TRUE(framesUntilChooserDone(h));
    EXPECT_EQ(h.v().document.documentPath, document);
    EXPECT_EQ(h.v().document.pageCountShown, 2);
    h.clickAt(infoX, buttonY);
    EXPECT_TRUE(h.v().frame.infoPanelOpen) << "presses reach the viewer again";
}

// Cancelling keeps the open document; with no chooser at all a message panel says what is missing.
TEST(DialogFrame, ACancelledOrMissingChooserLeavesTheViewerAsItWas) {
    Harness h;
    ASSERT_TRUE(h.started());
    HeldChooser cancelled("");
    h.clickAt(openX, buttonY);
    cancelled.letGo();
    ASSERT_TRUE(framesUntilChooserDone(h));
    EXPECT_TRUE(h.v().document.documentPath.empty());
    EXPECT_FALSE(h.v().frame.toolbarShown);
    EXPECT_FALSE(h.v().frame.messagePanelShown);

    setenv("PAGEWELL_FILE_DIALOG", "/nonexistent/chooser", 1);
    h.clickAt(openX, buttonY);
    setenv("PAGEWELL_FILE_DIALOG", "", 1);
    EXPECT_FALSE(media::dialogRunning());
    EXPECT_TRUE(h.v().frame.messagePanelShown);
    EXPECT_NE(h.v().frame.messagePanelText.find("zenity"), std::string::npos);
    EXPECT_EQ(h.v().frame.hoveredButton, Button::none);
}
