// The on-screen keyboard in the running viewer: its geometry at 1080 x 1920, hover, locks and typing.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "keyboard/keyboard.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "tests/support/harness.h"

namespace {

constexpr media::Colour K = media::rgb(2, 2, 2);
constexpr media::Colour G = media::rgb(200, 200, 200);

// A started viewer with the search panel open, so that the keyboard is shown and typed on.
struct KeyboardViewer {
    Harness h;
    explicit KeyboardViewer(HarnessOptions options = {}) : h(std::move(options)) {
        h.frames(1);  // takes the motion of start-up's pointer placement, which would undo a fed move
        h.v().frame.searchPanelOpen = h.v().frame.searchInputActive = true;
    }
    KeyboardState& k() { return h.v().keyboard; }
    std::string& word() { return h.v().search.searchWord; }
    const KeyEntry& key(int index) { return k().lowerKeys.at(static_cast<std::size_t>(index)); }
    // Points at, or clicks, a spot given from the keyboard's corner.
    void pointAt(int x, int y) {
        h.moveTo(k().keyboardX + x, k().keyboardY + y);
        h.frames(1);
    }
    void clickAt(int x, int y) { h.clickAt(k().keyboardX + x, k().keyboardY + y); }
    void tap(int index) {
        clickAt(key(index).x + key(index).width / 2, key(index).y + key(index).height / 2);
    }
    void hoverAt(int x, int y) {
        k().keyboardPointerX = x;
        k().keyboardPointerY = y;
        hoverKeys(h.v());
    }
};

// Locks, typing and the pressed look by taps on the keys: each case runs with the mouse and with touch.
class KeyboardTaps : public ::testing::TestWithParam<PointerStyle> {
protected:
    HarnessOptions pointer(HarnessOptions options = {}) const {
        return withPointer(GetParam(), std::move(options));
    }
};

INSTANTIATE_TEST_SUITE_P(Pointer, KeyboardTaps, pointerStyles, pointerStyleName);

media::Colour facePixel(int face, int x, int y) {
    return spritePixels(face, x, y, 1, 1).at(0);
}

TEST(KeyboardGeometry, MatchesTheWorkedExampleAt1080By1920) {
    KeyboardViewer kv;
    ASSERT_TRUE(kv.h.started());
    EXPECT_EQ(std::tuple(kv.k().width, kv.k().height, kv.k().keyWidth, kv.k().keyHeight),
              std::tuple(1042, 349, 67, 62));
    EXPECT_EQ(std::tuple(media::spriteWidth(sprite::keyboardAltGr), kv.k().keyboardX, kv.k().keyboardY),
              std::tuple(1042, 19, 1561));
    const int rowFirst[] = {0, 14, 28, 42, 55}, rowLast[] = {13, 27, 41, 54, 59},
              rowTop[] = {0, 64, 128, 192, 256};
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(kv.key(rowFirst[r]).y, rowTop[r]) << "row " << r + 1;
        EXPECT_EQ(kv.key(rowLast[r]).x + kv.key(rowLast[r]).width, 1040) << "row " << r + 1;
        for (int i = rowFirst[r] + 1; i <= rowLast[r]; ++i)  // stored rectangles may touch, never overlap
            EXPECT_LE(kv.key(i - 1).x + kv.key(i - 1).width, kv.key(i).x) << i;
    }
    for (int index : {55, 56, 58}) EXPECT_EQ(kv.key(index).width, 100) << index;
    EXPECT_EQ(std::pair(kv.key(57).x, kv.key(57).width), std::pair(218, 608));
    EXPECT_GT(kv.key(41).x, kv.key(27).x);  // the Enter key's lower half is the narrower
}

TEST(KeyboardGeometry, FacesAreFilledAndEnterIsOneKey) {
    KeyboardViewer kv;
    const auto& space = kv.key(57);
    EXPECT_EQ(facePixel(sprite::keyboardLower, space.x, space.y + 30), K);
    EXPECT_EQ(facePixel(sprite::keyboardLower, space.x + 20, space.y + 30), G);
    EXPECT_EQ(facePixel(sprite::keyboardLower, space.x + 20, 63), 0u);  // the gap between rows
    const auto& lower = kv.key(41);
    for (int face : {sprite::keyboardLower, sprite::keyboardUpper, sprite::keyboardAltGr}) {
        EXPECT_EQ(facePixel(face, lower.x + 10, lower.y + 50), G) << face;
        EXPECT_EQ(facePixel(face, lower.x + 10, lower.y - 1), G) << face;  // no outline between the halves
    }
    for (int wide : {98, 110}) EXPECT_EQ(media::spriteWidth(wide), 608) << wide;
    // Enter's hover (104) is 2.05 key heights.
    EXPECT_EQ(std::pair(media::spriteWidth(115), media::spriteHeight(104)), std::pair(kv.key(27).width, 127));
}

TEST(KeyHover, EdgesCountAsOverTheKeyAndGapsOverNone) {
    KeyboardViewer kv;
    const auto& q = kv.key(15);
    kv.hoverAt(q.x + q.width, q.y + q.height);
    EXPECT_EQ(std::tuple(kv.k().pointerOverKey, kv.k().currentKey, kv.k().hoverKeySprite, kv.k().hoverKeyX),
              std::tuple(true, 15, 93, q.x - 2));
    kv.hoverAt(q.x + q.width + 1, q.y);  // between q and w; the hover sprite is kept after leaving the keys
    EXPECT_EQ(std::tuple(kv.k().pointerOverKey, kv.k().currentKey, kv.k().hoverKeySprite),
              std::tuple(false, 59, 93));
    kv.hoverAt(q.x + 5, q.y + q.height + 1);  // between rows 2 and 3
    EXPECT_FALSE(kv.k().pointerOverKey);
}

TEST(KeyHover, SpecialShapesOverrideAndEnterTakesItsUpperPlace) {
    KeyboardViewer kv;
    const int expected[][2] = {{14, 94}, {55, 96},  {56, 96},  {58, 96},  {59, 97},  {57, 98},
                               {13, 99}, {28, 101}, {42, 102}, {54, 103}, {27, 104}, {41, 104}};
    for (const auto& [index, hoverSprite] : expected) {
        kv.hoverAt(kv.key(index).x + 3, kv.key(index).y + 3);
        EXPECT_EQ(kv.k().currentKey, index);
        EXPECT_EQ(kv.k().hoverKeySprite, hoverSprite) << index;
        const KeyEntry& shown = kv.key(index == 41 ? 27 : index);
        EXPECT_EQ(std::pair(kv.k().hoverKeyX, kv.k().hoverKeyY), std::pair(shown.x, shown.y)) << index;
    }
}

TEST_P(KeyboardTaps, CapsTwiceAndCapsThenRightShiftReturnToLowerCase) {
    KeyboardViewer kv(pointer());
    kv.tap(28);
    EXPECT_EQ(std::tuple(kv.k().shiftActive, kv.k().lowerCaseActive, kv.k().activeKeyboardSprite),
              std::tuple(true, false, sprite::keyboardUpper));
    kv.tap(28);
    EXPECT_EQ(std::pair(kv.k().lowerCaseActive, kv.k().activeKeyboardSprite),
              std::pair(true, sprite::keyboardLower));
    for (int index : {28, 15, 54, 15}) kv.tap(index);  // caps lock, q, right shift, q
    EXPECT_EQ(std::tuple(kv.word(), kv.k().lowerCaseActive), std::tuple("Qq", true));
}

TEST_P(KeyboardTaps, AltGrFromUpperCaseSwitchesToAltGrAndBack) {
    KeyboardViewer kv(pointer());
    for (int index : {42, 58}) kv.tap(index);
    EXPECT_EQ(std::tuple(kv.k().altGrActive, kv.k().shiftActive, kv.k().activeKeyboardSprite),
              std::tuple(true, false, sprite::keyboardAltGr));
    EXPECT_EQ(kv.k().altGrKeyX, kv.key(58).x);
    kv.tap(17);  // e gives é under AltGr
    kv.tap(56);
    EXPECT_TRUE(kv.k().lowerCaseActive);
    kv.tap(17);
    EXPECT_EQ(kv.word(), "ée");
}

TEST_P(KeyboardTaps, AReleaseOverNoKeyAfterACapsKeyTogglesAgain) {
    KeyboardViewer kv(pointer());
    kv.tap(28);
    const int gapX = kv.key(15).x + kv.key(15).width + 1, gapY = kv.key(15).y + 5;  // the gap after q
    kv.clickAt(gapX, gapY);
    EXPECT_TRUE(kv.k().lowerCaseActive);
    kv.clickAt(gapX, gapY);
    EXPECT_TRUE(kv.k().shiftActive);
    // The lock highlight stays on caps lock, not on the walk's last key.
    EXPECT_EQ(std::pair(kv.k().shiftKeyX, kv.k().shiftKeyY), std::pair(kv.key(28).x, kv.key(28).y));
    EXPECT_EQ(kv.word(), "");
}

TEST_P(KeyboardTaps, DeleteTabSpaceAndEnter) {
    KeyboardViewer kv(pointer());
    kv.tap(13);  // delete on an empty word
    EXPECT_EQ(kv.word(), "");
    kv.word() = "a\xE2\x82\xAC";
    kv.tap(13);  // a whole character goes, not a byte of it
    EXPECT_EQ(kv.word(), "a");
    for (int index : {14, 57}) kv.tap(index);
    EXPECT_EQ(kv.word(), "a         ");
    kv.word().clear();
    kv.tap(41);  // with an empty word the search waits and the flag stays
    EXPECT_TRUE(kv.h.v().search.onScreenEnterPressed);
    for (int silent : {55, 56, 59, 42}) kv.tap(silent);
    EXPECT_EQ(kv.word(), "");
}

TEST_P(KeyboardTaps, ALabelOfMinusOneDeletesAndALongLabelGetsNoHighlight) {
    KeyboardViewer kv(pointer(
        {.configurationText = "[KEYBOARD_LAYOUT]\n1stROW_LowerCase=\xC2\xA6-1\xC2\xA6x\xC2\xA6xy\n"}));
    kv.word() = "ab";
    for (int index : {1, 0, 0}) kv.tap(index);
    EXPECT_EQ(kv.word(), "a");
    kv.hoverAt(kv.key(1).x + 3, 5);
    kv.hoverAt(kv.key(2).x + 3, 5);  // "xy": found, but the previous highlight stays
    EXPECT_EQ(std::pair(kv.k().currentKey, kv.k().hoverKeyX), std::pair(2, kv.key(1).x - 2));
}

TEST_P(KeyboardTaps, SwitchedOffTheFacesAreDrawnButNothingIsTyped) {
    KeyboardViewer kv(pointer(
        {.configurationText =
             "[GLOBAL]\nEnableOn-ScreenKeyboard=no\n[KEYBOARD_LAYOUT]\n1stROW_LowerCase=\xC2\xA6q\n"}));
    EXPECT_TRUE(media::spriteExists(sprite::keyboardLower));
    kv.tap(0);
    EXPECT_EQ(std::tuple(kv.word(), kv.h.v().frame.keyboardKeyDown), std::tuple("", false));
}

TEST_P(KeyboardTaps, TheFaceHoverAndPressedLooksAreShown) {
    KeyboardViewer kv(pointer());
    const auto& space = kv.key(57);
    const int x = kv.k().keyboardX + space.x + 20, y = kv.k().keyboardY + space.y + 5;
    kv.pointAt(700, -300);  // away from the keys
    const media::Colour face = kv.h.pixel(x, y);
    EXPECT_NEAR(media::red(face), 200 * 230 / 255, 3);
    EXPECT_EQ(media::red(face), media::green(face));
    kv.pointAt(space.x + 20, space.y + 5);
    if (kv.h.hoversBeforePress()) {
        EXPECT_GT(media::green(kv.h.pixel(x, y)), media::red(kv.h.pixel(x, y)) + 20);
    }
    kv.h.press();
    kv.h.frames(2);
    EXPECT_EQ(kv.k().pressedKeySprite, 110);
    const media::Colour pressed = kv.h.pixel(x, y);  // the dark top of the pressed look
    EXPECT_LT(media::red(pressed), media::red(face));
    EXPECT_NEAR(media::red(pressed), media::green(pressed), 3);
}

}  // namespace
