// Drawing only what changed: the rectangles two frames differ in, and scenes drawn frame after frame
// with only their changes redrawn, each frame compared pixel for pixel with the same frame drawn whole
// (sprites moving, blended, multiplied, clipped, zoomed, partly off screen, redrawn, text on the display,
// and the viewer's own screens), with the software renderer and with the accelerated one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "context/fitting.h"
#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/display/draw_list.h"
#include "media/input/input.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "tests/media/display_window.h"
#include "tests/support/x_server.h"
#include "tests/view/view_fixture.h"
#include "text/text_view.h"
#include "view/sheet.h"

using namespace media;
using media::detail::DrawStep;
using media::detail::Rect;

namespace {

constexpr Rect screen{0, 0, 320, 200};

DrawStep clearStep(Colour colour) {
    DrawStep step;
    step.colour = colour;
    return step;
}

DrawStep copyStep(std::uint64_t content, Rect where, std::uint8_t alpha = 255) {
    DrawStep step;
    step.kind = DrawStep::Kind::copy;
    step.content = content;
    step.source = Rect{0, 0, where.w, where.h};
    step.destination = where;
    step.alpha = alpha;
    return step;
}

bool covers(const std::vector<Rect>& rectangles, const Rect& r) {
    for (const Rect& c : rectangles)
        if (r.x >= c.x && r.y >= c.y && r.x + r.w <= c.x + c.w && r.y + r.h <= c.y + c.h) return true;
    return false;
}

TEST(ChangedRectangles, EqualListsChangeNothingAndListsThatDrawOverTheLastFrameChangeAll) {
    std::vector<DrawStep> frame{clearStep(0), copyStep(1, {0, 0, 320, 200}), copyStep(2, {10, 10, 8, 8})};
    std::vector<Rect> changed;
    EXPECT_TRUE(detail::changedRectangles(frame, frame, screen, changed));
    EXPECT_TRUE(changed.empty());
    std::vector<DrawStep> noClear(frame.begin() + 1, frame.end());
    EXPECT_FALSE(detail::changedRectangles(noClear, noClear, screen, changed));
    std::vector<DrawStep> otherClear = frame;
    otherClear[0].colour = rgb(1, 2, 3);
    EXPECT_FALSE(detail::changedRectangles(frame, otherClear, screen, changed));
}

TEST(ChangedRectangles, AStepChangedInPlaceOrInsertedChangesItsOldAndNewPlaces) {
    std::vector<DrawStep> before{clearStep(0), copyStep(1, {0, 0, 320, 200}), copyStep(2, {10, 10, 8, 8}, 50),
                                 copyStep(3, {200, 150, 20, 20})};
    std::vector<DrawStep> moved = before, pulsed = before, inserted = before;
    moved[2].destination = Rect{316, 196, 8, 8};  // partly off screen
    pulsed[2].alpha = 70;
    inserted.insert(inserted.begin() + 2, copyStep(4, {100, 100, 5, 5}));
    std::vector<Rect> changed;
    ASSERT_TRUE(detail::changedRectangles(before, moved, screen, changed));
    EXPECT_TRUE(covers(changed, {10, 10, 8, 8}) && covers(changed, {316, 196, 4, 4}));
    EXPECT_FALSE(covers(changed, {200, 150, 20, 20}));
    for (const Rect& r : changed) EXPECT_TRUE(r.x + r.w <= 320 && r.y + r.h <= 200);
    ASSERT_TRUE(detail::changedRectangles(before, pulsed, screen, changed));
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_TRUE(covers(changed, {10, 10, 8, 8}) && changed[0].w * changed[0].h == 64);
    ASSERT_TRUE(detail::changedRectangles(before, inserted, screen, changed));
    EXPECT_TRUE(covers(changed, {100, 100, 5, 5}));  // what lies above it is drawn as before
    EXPECT_FALSE(covers(changed, {10, 10, 8, 8}));
}

TEST(ChangedRectangles, ManySmallChangesBecomeFewSeparateRectanglesAndLargeOnesTheWholeFrame) {
    std::vector<DrawStep> before{clearStep(0)}, after{clearStep(0)};
    for (int i = 0; i < 40; ++i) {
        before.push_back(copyStep(10 + i, {(i % 8) * 40, (i / 8) * 40, 6, 6}));
        after.push_back(copyStep(100 + i, {(i % 8) * 40, (i / 8) * 40, 6, 6}));
    }
    std::vector<Rect> changed;
    ASSERT_TRUE(detail::changedRectangles(before, after, screen, changed));
    EXPECT_LE(changed.size(), 16u);
    for (int i = 0; i < 40; ++i) EXPECT_TRUE(covers(changed, {(i % 8) * 40, (i / 8) * 40, 6, 6})) << i;
    for (std::size_t i = 0; i < changed.size(); ++i)
        for (std::size_t j = i + 1; j < changed.size(); ++j)
            EXPECT_FALSE(detail::overlap(changed[i], changed[j]));
    after[1] = copyStep(999, {0, 0, 300, 190});
    EXPECT_FALSE(detail::changedRectangles(before, after, screen, changed));
}

// ---------------------------------------------------------------------------------------------
// Scenes on the dummy display: every frame drawn as changes only, checked against a whole drawing.

constexpr int width = 320, height = 200;
enum : int { page = 1, marker = 2, glow = 3, shade = 4, strip = 5, label = 6 };

void paint(int number, int w, int h, bool alpha, const std::function<void()>& drawing) {
    ASSERT_TRUE(createSprite(number, w, h, alpha));
    ASSERT_TRUE(beginDrawing(number));
    drawing();
    endDrawing();
}

// A page with detail at every scale (stripes, a diagonal, a gradient), a marker with a transparent
// black corner, an alpha glow, a grey shade for multiplying, a strip of numbered cells for clipping.
void makeSprites() {
    setSpriteFiltering(true);
    paint(page, 101, 63, false, [] {
        drawStripedGradient(101, 63, rgb(240, 240, 200), rgb(40, 60, 200), rgb(200, 30, 30), 7);
        line(0, 62, 100, 0, rgb(1, 1, 1));
    });
    paint(marker, 13, 11, false, [] {
        fillBox(0, 0, 13, 11, rgb(250, 220, 0));
        fillBox(0, 0, 4, 4, rgb(0, 0, 0));
    });
    paint(glow, 24, 24, true, [] {
        setDrawingMode(mode::alphaBlend);
        circle(12, 12, 11, rgba(90, 250, 120, 140));
    });
    paint(shade, 60, 40, false, [] {
        setBackColour(rgb(255, 255, 255));
        setFrontColour(rgb(60, 60, 60));
        setDrawingMode(mode::gradient);
        fillBox(0, 0, 60, 40);
    });
    paint(strip, 90, 12, false, [] {
        for (int i = 0; i < 9; ++i) fillBox(i * 10, 0, 10, 12, rgb(25 * i, 255 - 25 * i, 128));
    });
}

struct Scene {
    const char* name;
    std::function<void(int)> frame;  // draws frame i after the clear
    bool changesOnly;                // some frames are drawn as rectangles alone
};

void pageAndPointer(int i) {
    zoomSprite(page, 300, 187);
    displaySprite(page, 10, 6);
    displayTransparentSprite(marker, 40 + 7 * i, 30 + 3 * i, 255);
    displayTransparentSprite(glow, 200, 120, 50 + (i * 20) % 200);  // a pulse
    displayTransparentSprite(strip, 100, 170, 200);
}

void multiplied(int i) {
    displaySprite(strip, 0, 0);
    zoomSprite(page, 250, 150);
    displaySprite(page, 20, 30);
    setBlending(Blending::multiply);
    displayTransparentSprite(shade, 30 + 9 * i, 40, 255 - 10 * i);
    displayTransparentSprite(marker, 200, 100 + i, 180);
    setBlending(Blending::normal);
    displayTransparentSprite(glow, 100, 100, 255);
}

void clippedAndZoomed(int i) {
    clipSprite(strip, (i * 3) % 60, 2, 30 + i % 20, 8);
    displaySprite(strip, 50, 50);
    zoomSprite(strip, 200 + 5 * (i % 4), 40);
    displayTransparentSprite(strip, 10, 100, 220);
    zoomSprite(strip, -1, -1);
    clipSprite(strip, 0, 0, -1, -1);
    zoomSprite(marker, 13 * (1 + i % 3), 11 * (1 + i % 3));
    displayTransparentSprite(marker, 250, 20, 255);
    zoomSprite(marker, -1, -1);
}

// A zoomed page much larger than the screen slides across each edge; small sprites leave it too.
void partlyOffScreen(int i) {
    zoomSprite(page, 700, 440);
    displaySprite(page, -200 + 13 * i, -150 + 9 * i);
    zoomSprite(glow, 60, 60);
    displayTransparentSprite(glow, -30 + 17 * i, height - 40 + 2 * i, 200);
    displayTransparentSprite(marker, width - 6 + i % 3, -4, 255);
}

void redrawnAndReplaced(int i) {
    zoomSprite(page, 200, 124);
    displaySprite(page, 0, 0);
    if (i % 4 == 1) paint(label, 40, 12, false, [i] { fillBox(0, 0, 40, 12, rgb(10 * i, 90, 200)); });
    if (i % 5 == 2) freeSprite(label);
    displayTransparentSprite(label, 150, 150, 255);
    ASSERT_TRUE(beginDrawing(marker));
    fillBox(4 + i % 9, 4, 2, 2, rgb(255, 0, 255));  // changes the sprite's pixels in place
    endDrawing();
    displaySprite(marker, 220, 40);
}

void textOnTheDisplay(int i) {
    displaySprite(strip, 0, 0);
    ASSERT_TRUE(beginDrawingDisplay());
    drawText(10 + i, 40, "page " + std::to_string(1 + i / 3), rgb(255, 255, 255), rgb(2, 2, 2));
    setDrawingMode(mode::transparent);
    drawText(100, 100, "hover", rgb(255, 255, 0));
    endDrawing();
    if (i % 6 == 5) clearDisplay(rgb(30, 0, 0));  // a later clear covers everything drawn before it
}

void PrintTo(const Scene& scene, std::ostream* out) {
    *out << scene.name;
}

const auto scenes = ::testing::Values(
    Scene{"PageAndPointer", pageAndPointer, true}, Scene{"Multiplied", multiplied, true},
    Scene{"ClippedAndZoomed", clippedAndZoomed, true}, Scene{"PartlyOffScreen", partlyOffScreen, false},
    Scene{"RedrawnAndReplaced", redrawnAndReplaced, true}, Scene{"TextOnTheDisplay", textOnTheDisplay, true});

// No frame drawn from its changes differed from the same frame drawn whole.
RedrawCheck expectNoDifference() {
    const RedrawCheck check = redrawCheck();
    EXPECT_EQ(check.framesDiffering, 0)
        << "first at (" << check.firstX << ", " << check.firstY << ") in frame " << check.frame << ": "
        << std::hex << check.drawn << " drawn, " << check.whole << " whole";
    return check;
}

void drawFrame(const std::function<void(int)>& scene, int i) {
    clearDisplay(rgb(0, 0, 40));
    scene(i);
    flipDisplay();
}

void expectEveryFrameEqualsTheSameFrameDrawnWhole(const Scene& scene) {
    const FrameCounts start = frameCounts();
    for (int i = 0; i < 24; ++i) drawFrame(scene.frame, i);
    const RedrawCheck check = expectNoDifference();
    if (scene.changesOnly) {
        EXPECT_GT(frameCounts().partial, start.partial);
        EXPECT_GT(check.framesChecked, 0);
    }
}

void expectLikeFramesUnpresentedAndSmallChangesInPart() {
    for (int i = 0; i < 3; ++i) drawFrame(pageAndPointer, 0);
    const FrameCounts settled = frameCounts();
    drawFrame(pageAndPointer, 0);
    EXPECT_EQ(frameCounts().presented, settled.presented);
    drawFrame(pageAndPointer, 1);
    EXPECT_EQ(frameCounts().presented, settled.presented + 1);
    EXPECT_EQ(frameCounts().partial, settled.partial + 1);
    EXPECT_EQ(redrawCheck().framesDiffering, 0);
}

// The display opened for checked redrawing, with the scenes' sprites made.
void openCheckedDisplay(bool accelerated) {
    ASSERT_TRUE(startDisplay());
    ASSERT_TRUE(openWindow(width, height, "Redraw test", WindowFlags{}));
    ASSERT_TRUE(openDisplay(width, height));
    if (accelerated) {
        ASSERT_THAT(rendererName(), ::testing::StartsWith("opengl"));
    }
    useTestClock(true);
    setRedrawing(Redrawing::checked);
    makeSprites();
}

class RedrawScenes : public ::testing::TestWithParam<Scene> {
protected:
    void SetUp() override { openCheckedDisplay(false); }
    void TearDown() override {
        setRedrawing(Redrawing::changedOnly);
        useTestClock(false);
        stopDisplay();
    }
};

TEST_P(RedrawScenes, EveryFrameEqualsTheSameFrameDrawnWhole) {
    expectEveryFrameEqualsTheSameFrameDrawnWhole(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Scenes, RedrawScenes, scenes, ::testing::PrintToStringParamName());

using Redraw = RedrawScenes;

TEST_F(Redraw, AFrameLikeTheLastIsNeitherDrawnNorPresentedAndASmallChangeOnlyInPart) {
    expectLikeFramesUnpresentedAndSmallChangesInPart();
}

// The accelerated renderer, forced where OpenGL is rasterised in software (Xvfb's llvmpipe): the
// frames, drawn as their changes into the kept frame, equal the same frames drawn whole on the screen.
class AcceleratedRedrawScenes : public XServerTest, public ::testing::WithParamInterface<Scene> {
protected:
    void SetUp() override {
        startServer("640x480x24");
        if (IsSkipped() || HasFatalFailure()) return;
        x11_.emplace("DISPLAY", display_.c_str());
        openCheckedDisplay(true);
    }
    void TearDown() override {
        setRedrawing(Redrawing::changedOnly);
        useTestClock(false);
        XServerTest::TearDown();
    }
    ScopedVariable video_{"SDL_VIDEODRIVER", "x11"};
    ScopedVariable renderer_{"SDL_RENDER_DRIVER", "opengl"};
    std::optional<ScopedVariable> x11_;
};

TEST_P(AcceleratedRedrawScenes, EveryFrameEqualsTheSameFrameDrawnWhole) {
    expectEveryFrameEqualsTheSameFrameDrawnWhole(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Scenes, AcceleratedRedrawScenes, scenes, ::testing::PrintToStringParamName());

using AcceleratedRedraw = AcceleratedRedrawScenes;

TEST_F(AcceleratedRedraw, AFrameLikeTheLastIsNeitherDrawnNorPresentedAndASmallChangeOnlyInPart) {
    expectLikeFramesUnpresentedAndSmallChangesInPart();
}

// What a frame shows of a sprite is what the sprite held when it was displayed, even when it is drawn
// on or freed before the flip.
TEST_F(Redraw, ASpriteChangedOrFreedAfterItsDisplayShowsAsItWasThen) {
    captureFrames(true);
    paint(label, 10, 10, false, [] { fillBox(0, 0, 10, 10, rgb(200, 0, 0)); });
    displaySprite(label, 0, 0);
    paint(label + 1, 10, 10, false, [] { fillBox(0, 0, 10, 10, rgb(0, 200, 0)); });
    displaySprite(label + 1, 20, 0);
    ASSERT_TRUE(beginDrawing(label));
    fillBox(0, 0, 10, 10, rgb(0, 0, 200));
    endDrawing();
    displaySprite(label, 40, 0);
    freeSprite(label + 1);
    flipDisplay();
    EXPECT_EQ(capturedPixel(5, 5), rgb(200, 0, 0));
    EXPECT_EQ(capturedPixel(25, 5), rgb(0, 200, 0));
    EXPECT_EQ(capturedPixel(45, 5), rgb(0, 0, 200));
    captureFrames(false);
}

// ---------------------------------------------------------------------------------------------
// The viewer's own screens, frame by frame, under the same check.

class ViewerRedraw : public viewtest::ViewerWithPages {
protected:
    void SetUp() override { setRedrawing(Redrawing::checked); }
    void TearDown() override { setRedrawing(Redrawing::changedOnly); }
    void circle(int frames, int cx, int cy, int radius) {
        for (int i = 0; i < frames; ++i)
            moveInFrame(cx + (i % 2 ? radius : -radius) * (i % 5) / 4, cy + radius * (i % 3) / 2);
    }
};

TEST_F(ViewerRedraw, WelcomeToolBarHoverAndInformationPanel) {
    harness = std::make_unique<Harness>();
    ASSERT_TRUE(harness->started());
    const FrameCounts start = frameCounts();
    circle(20, 540, 1300, 200);                    // pointer, pulse, touch ring and the logo's fade
    for (int x : {39, 94, 149, 353, 409, 1047}) {  // the tool bar and each button's hover and tip
        moveTo(x, 27);
        frames(2);
    }
    moveTo(149, 27);
    press();
    release();  // the information panel
    frames(3);
    moveTo(540, 1000);
    frames(3);
    expectNoDifference();
    EXPECT_GT(frameCounts().partial, start.partial + 20);
}

TEST_F(ViewerRedraw, PageStripsTurningGlideZoomAndTheThumbnailSheet) {
    open(6);
    circle(10, 540, 900, 300);
    moveTo(1075, 960);  // the forward strip lights; a press turns the page
    frames(2);
    press();
    release();
    moveTo(540, 700);
    frames(2);
    tap(50);  // the glide
    frames(20);
    press();  // zooming: held and moved
    for (int i = 0; i < 6; ++i) moveInFrame(540 + 15 * i, 700 + 25 * i);
    release();
    harness->doubleClick();
    frames(2);
    Viewer& viewer = v();
    ThumbnailGrid grid = chooseThumbnailGrid(6, viewer.view.pageFitWidth, viewer.view.pageFitHeight);
    for (int p = 1; p <= 6; ++p) {
        ASSERT_TRUE(media::loadImage(p, folder + "page-00000" + std::to_string(p) + ".jpg"));
        ASSERT_TRUE(media::resizeImage(p, grid.cellWidth, grid.cellHeight));
    }
    buildThumbnailSheet(viewer, {grid.columns, grid.rows, grid.cellWidth, grid.cellHeight});
    viewer.frame.thumbnailMode = true;
    circle(12, 540, 960, 250);  // cells hovered, their page numbers written on the display
    expectNoDifference();
}

TEST_F(ViewerRedraw, SearchPanelKeyboardHitListAndTextView) {
    open(6);
    std::string text;
    for (int p = 1; p <= 6; ++p) text += "hit on page " + std::to_string(p) + "\nmore words\f";
    ASSERT_TRUE(media::writeWholeFile(folder + "TextualData.txt", text));
    Viewer& viewer = v();
    viewer.text.textExtractionPending = true;
    frames(1);
    viewer.frame.searchPanelOpen = true;
    viewer.frame.searchInputActive = true;
    circle(10, 540, 1500, 250);  // the keys' hover
    harness->type("hit");
    frames(2);
    harness->pressKeys({scan::enter});
    ASSERT_TRUE(harness->runUntil(
        [&] { return viewer.search.searchWorkerState.load() == SearchWorker::idle; }, 2000));
    EXPECT_EQ(viewer.search.searchHits.size(), 6u);
    circle(10, 540, 300, 150);  // the hit list's rows and cursor
    viewer.frame.searchPanelOpen = false;
    viewer.frame.searchInputActive = false;
    viewer.frame.textViewOpen = true;
    showTextView(viewer);
    circle(5, 540, 900, 200);
    expectNoDifference();
}

}  // namespace
