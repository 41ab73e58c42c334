// Input through the media layer's own state: window events one per poll, double-clicks, key releases
// seen in exactly one read, the Escape latch, typed text and mouse motion; clipboard and chooser.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "display_window.h"
#include "media/media.h"

using namespace media;

namespace {

using Input = DisplayWindow;

TEST_F(Input, WindowEventsComeOutOnePerPollInOrder) {
    feedMouseButton(true, 1);
    feedMouseButton(false, 1);
    feedMouseButton(true, 2);
    EXPECT_EQ(pollWindowEvent(), eventLeftDown);
    EXPECT_EQ(pollWindowEvent(), eventLeftUp);
    EXPECT_EQ(pollWindowEvent(), eventLeftDoubleClick);
    EXPECT_EQ(pollWindowEvent(), 0);
}

TEST_F(Input, SecondPressOfADoubleClickIs515AndHoldsTheButton) {
    feedMouseButton(true, 3);
    EXPECT_TRUE(mouseButton(1));
    EXPECT_EQ(pollWindowEvent(), eventLeftDoubleClick);
    feedMouseButton(false, 3);
    EXPECT_FALSE(mouseButton(1));
    EXPECT_FALSE(mouseButton(2));
}

TEST_F(Input, KeyReleasedIsTrueInExactlyOneRead) {
    feedKey(scan::c, true);
    readKeyboard();
    EXPECT_TRUE(keyDown(scan::c));
    EXPECT_FALSE(keyReleased(scan::c));
    feedKey(scan::c, false);
    readKeyboard();
    EXPECT_FALSE(keyDown(scan::c));
    EXPECT_TRUE(keyReleased(scan::c));
    EXPECT_TRUE(keyReleased(scan::c));  // asking twice within one read
    readKeyboard();
    EXPECT_FALSE(keyReleased(scan::c));
}

// A quick tap (Control held, C pressed and released within one frame) must still be seen.
TEST_F(Input, ATapBetweenTwoReadsCountsAsDownAndReleasedInThatReadOnly) {
    feedKey(scan::enter, true);
    feedKey(scan::enter, false);
    readKeyboard();
    EXPECT_TRUE(keyDown(scan::enter));
    EXPECT_TRUE(keyReleased(scan::enter));
    readKeyboard();
    EXPECT_FALSE(keyDown(scan::enter));
    EXPECT_FALSE(keyReleased(scan::enter));
    EXPECT_FALSE(keyDown(0));
    EXPECT_FALSE(keyReleased(999));
    EXPECT_FALSE(keyDown(-3));
}

TEST_F(Input, EscapeIsLatchedUntilTheNextQuery) {
    EXPECT_FALSE(escapePressed());
    feedKey(scan::escape, true);
    feedKey(scan::escape, false);
    EXPECT_TRUE(escapePressed());
    EXPECT_FALSE(escapePressed());
    feedKey(scan::escape, true);
    EXPECT_TRUE(escapePressed());
    EXPECT_TRUE(escapePressed());  // still held
}

TEST_F(Input, TypedTextGathersEverythingSinceThePreviousRead) {
    feedText("a");
    feedText("\xC3\xA9");
    readKeyboard();
    EXPECT_EQ(typedCharacter(), "a\xC3\xA9");
    readKeyboard();
    EXPECT_EQ(typedCharacter(), "");
}

TEST_F(Input, MouseDeltaIsTheMotionSinceThePreviousRead) {
    feedMouseMove(10, 20);
    readMouse();
    feedMouseMove(15, 12);
    feedMouseMove(17, 11);
    readMouse();
    EXPECT_EQ(mouseX(), 17);
    EXPECT_EQ(mouseY(), 11);
    EXPECT_EQ(mouseDeltaX(), 7);
    EXPECT_EQ(mouseDeltaY(), -9);
    readMouse();
    EXPECT_EQ(mouseDeltaX(), 0);
    placeMouse(60, 40);
    readMouse();
    EXPECT_EQ(mouseX(), 60);
    EXPECT_EQ(mouseDeltaX(), 0);  // placing the pointer is no motion of the user's
}

TEST_F(Input, ResetForgetsQueuedEventsAndKeys) {
    feedMouseButton(true, 1);
    feedKey(scan::tab, true);
    feedText("x");
    resetInput();
    readKeyboard();
    EXPECT_EQ(pollWindowEvent(), 0);
    EXPECT_FALSE(keyDown(scan::tab));
    EXPECT_EQ(typedCharacter(), "");
    EXPECT_FALSE(mouseButton(1));
}

TEST_F(Input, FlipTakesPendingEventsWithoutLosingQueuedOnes) {
    feedMouseButton(true, 1);
    flipDisplay();
    flipDisplay();
    EXPECT_EQ(pollWindowEvent(), eventLeftDown);
}

TEST_F(Input, ClipboardKeepsUtf8Text) {
    setClipboardText("Seite \xE2\x82\xAC 1\nzwei");
    EXPECT_EQ(clipboardText(), "Seite \xE2\x82\xAC 1\nzwei");
}

TEST_F(Input, MessageBoxOnTheDummyDriverReturnsAtOnce) {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver == nullptr || std::string(driver) != "dummy")
        GTEST_SKIP() << "a real box would wait for a click";
    messageBox("Error!", "A test message, also on standard error.");
    SUCCEED();
}

TEST_F(Input, ChooserNamedByTheEnvironmentGivesTheFirstLineOfItsOutput) {
    std::string script = testing::TempDir() + "pagewell_chooser_test.sh";
    {
        std::ofstream out(script);
        out << "#!/bin/sh\necho '/some where/file.pdf'\necho second line\n";
    }
    chmod(script.c_str(), 0755);
    setenv("PAGEWELL_FILE_DIALOG", script.c_str(), 1);
    bool available = false;
    std::string chosen = chooseFileToOpen("Open", "", "PDF (*.pdf)|*.pdf", &available);
    setenv("PAGEWELL_FILE_DIALOG", "", 1);
    EXPECT_TRUE(available);
    EXPECT_EQ(chosen, "/some where/file.pdf");
}

TEST_F(Input, ChooserThatCannotRunIsReportedUnavailable) {
    setenv("PAGEWELL_FILE_DIALOG", "/nonexistent/chooser", 1);
    bool available = true;
    EXPECT_EQ(chooseFileToOpen("Open", "", "PDF (*.pdf)|*.pdf", &available), "");
    setenv("PAGEWELL_FILE_DIALOG", "", 1);
    EXPECT_FALSE(available);
}

}  // namespace
