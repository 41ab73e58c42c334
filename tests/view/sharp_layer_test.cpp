// The sharp layer: the part of the page it covers on each screen, and with the real tool programs its
// arrival over a settled view (what is presented is the page drawn at that scale), and how a zoom or
// a page turn before it arrives drops it, never leaving a layer over another page or a file behind.
#include "view/sharp_layer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "document/tools.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"
#include "tests/support/sharpness.h"
#include "view/page_view.h"

namespace {

struct PartCase {
    const char* what;
    PageOnScreen page;
    PagePart part;
};

// Screen, page corner, displayed size, picture size -> the part covered.
const PartCase partCases[] = {
    {"fitted A4 a little larger than its picture",
     {1080, 1920, 0, 196, 1080, 1527, 993, 1404},
     {0, 0, 1080, 1527}},
    {"shown at the picture's own size", {1080, 1920, 43, 258, 993, 1404, 993, 1404}, {}},
    {"fitted smaller than its picture", {1920, 1080, 578, 0, 764, 1080, 1240, 1754}, {}},
    {"zoomed beyond the screen", {1080, 1920, -960, -1161, 3000, 4242, 993, 1404}, {960, 1161, 1080, 1920}},
    {"glided half off to the right", {1080, 1920, 700, -300, 2000, 2828, 993, 1404}, {0, 300, 380, 1920}},
    {"glided off the screen", {1080, 1920, 1080, 0, 2000, 2828, 993, 1404}, {}},
    {"A4 fitted on a 4K portrait screen", {2160, 3840, 316, 840, 1528, 2160, 993, 1404}, {0, 0, 1528, 2160}},
    {"fitted on a tall landscape screen", {2560, 1600, 714, 0, 1132, 1600, 993, 1404}, {0, 0, 1132, 1600}},
    {"larger in one direction only", {1080, 1920, 0, 0, 1001, 2990, 1000, 3000}, {0, 0, 1001, 1920}},
    {"a picture the converter reduced", {1080, 1920, -5000, 0, 40000, 1500, 20000, 750}, {}},
};

TEST(SharpLayerPart, CoversWhatOfAPageShownLargerThanItsPictureIsOnScreen) {
    for (const PartCase& c : partCases) {
        const PagePart part = sharpPartOf(c.page);
        EXPECT_EQ(part.x, c.part.x) << c.what;
        EXPECT_EQ(part.y, c.part.y) << c.what;
        EXPECT_EQ(part.width, c.part.width) << c.what;
        EXPECT_EQ(part.height, c.part.height) << c.what;
    }
}

// A two-page A4 document, a title page and one of text lines, converted by the viewer, page 1 shown.
class SharpLayer : public ::testing::Test {
protected:
    void openDocument(int screenWidth, int screenHeight) {
        HarnessOptions options;
        options.realClock = true;
        options.desktopWidth = screenWidth;
        options.desktopHeight = screenHeight;
        harness = std::make_unique<Harness>(options);
        ASSERT_TRUE(harness->started());
        pdf = makeTemporaryFolder("sharp-layer") + "two pages.pdf";
        ASSERT_TRUE(makeTitlePagePdf(pdf));
        harness->open(pdf);
        ASSERT_TRUE(harness->runUntil([&] { return conversionFinished(v(), 2); }, 10000000, 5, 120.0));
        harness->moveTo(screenWidth / 2, screenHeight - 60);  // the pointer away from what is compared
        harness->frames(2);
    }

    Viewer& v() { return harness->v(); }

    // The view the layer is wanted for now: the page sprite's page at its displayed size, on screen.
    SharpView currentView() {
        const PagePart part =
            sharpPartOf({v().layout.screenWidth, v().layout.screenHeight,
                         v().view.pageX + v().view.zoomOffsetX, v().view.pageY + v().view.zoomOffsetY,
                         media::spriteWidth(sprite::page), media::spriteHeight(sprite::page),
                         media::spriteOwnWidth(sprite::page), media::spriteOwnHeight(sprite::page)});
        return SharpView{v().sharp.pageInSprite,
                         v().view.currentPage,
                         media::spriteWidth(sprite::page),
                         media::spriteHeight(sprite::page),
                         part.x,
                         part.y,
                         part.width,
                         part.height};
    }

    // Runs frames until the layer of the current view has been presented; false after 20 s.
    bool layerArrives() {
        return harness->runUntil([&] { return v().sharp.shown == currentView() && !currentView().empty(); },
                                 10000000, 5, 20.0) &&
               (harness->frames(2), true);
    }

    // The view's part rendered directly by the region renderer, decoded.
    media::Picture directRender(const SharpView& view) {
        const std::string file = makeTemporaryFolder("sharp-direct") + "direct.png";
        media::RunOptions wait;
        wait.wait = true;
        int status = -1;
        media::runProgram(v().tools.toolFolder + "pdfregion.exe",
                          regionRendererArguments(sharpRegionOf(v(), view), pdf, file), wait, &status);
        media::Picture picture;
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(media::decodeImageFile(file, picture));
        return picture;
    }

    // The share of the compared pixels of the presented page that differ from the direct render by more
    // than 8 levels in a channel; the bottom band (page counter, pointer) is left out.
    double differingShare(const SharpView& view, const media::Picture& direct) {
        const int left = v().view.pageX + v().view.zoomOffsetX + view.x;
        const int top = v().view.pageY + v().view.zoomOffsetY + view.y;
        const int bottom = std::min(view.height, v().layout.screenHeight - 160 - top);
        std::int64_t compared = 0, differing = 0;
        for (int y = 0; y < bottom; y += 2) {
            for (int x = 0; x < view.width; ++x) {
                const std::uint32_t want = direct.pixels[static_cast<std::size_t>(y) * direct.width + x];
                const media::Colour shown = harness->pixel(left + x, top + y);
                const bool differs = std::abs(media::red(shown) - int(want & 0xFF)) > 8 ||
                                     std::abs(media::green(shown) - int((want >> 8) & 0xFF)) > 8 ||
                                     std::abs(media::blue(shown) - int((want >> 16) & 0xFF)) > 8;
                ++compared;
                differing += differs ? 1 : 0;
            }
        }
        return compared == 0 ? 1.0 : static_cast<double>(differing) / static_cast<double>(compared);
    }

    double presentedMidGreyShare() {
        const ScreenMiddle middle = screenMiddle(v().layout.screenWidth, v().layout.screenHeight);
        auto grey = [&](int x, int y) {
            const media::Colour c = harness->pixel(x, y);
            return greyOf(media::red(c), media::green(c), media::blue(c));
        };
        return midGreyShare(grey, middle.x0, middle.y0, middle.x1, middle.y1);
    }

    // No layer file of this viewer is left in the document's folder, finished or unfinished.
    void expectNoLayerFiles() {
        for (const auto& entry : std::filesystem::directory_iterator(v().document.documentCacheFolder)) {
            const std::string name = entry.path().filename().string();
            EXPECT_EQ(name.find("sharp-"), std::string::npos) << name;
        }
    }

    std::unique_ptr<Harness> harness;
    std::string pdf;
};

struct ScreenCase {
    const char* name;
    int width, height;
    int zoomSteps;  // Control+plus steps about the screen's middle
};

class SharpLayerOnScreens : public SharpLayer, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(SharpLayerOnScreens, ASettledViewIsPresentedAsThePageDrawnAtItsScale) {
    const ScreenCase& screen = GetParam();
    openDocument(screen.width, screen.height);
    for (int step = 0; step < screen.zoomSteps; ++step)
        zoomStepAbout(v(), 2.5f, screen.width / 2, screen.height / 2);
    endSharpLayer(v());  // the next frame shows the page picture stretched, as before any layer
    harness->frames(1);
    const double stretched = presentedMidGreyShare();
    ASSERT_TRUE(layerArrives());
    const SharpView view = currentView();
    EXPECT_GT(view.width * view.height, screen.width * screen.height / 3);
    EXPECT_LT(differingShare(view, directRender(view)), 0.002);
    const double sharp = presentedMidGreyShare();
    EXPECT_LT(sharp, screen.zoomSteps > 0 ? 0.40 : 0.32);
    EXPECT_LT(sharp, stretched - 0.1) << "the stretched picture";
    // The layer is a still picture: nothing is asked for again, and what the frames still present is
    // the pulsing pointer's rectangle alone.
    const media::FrameCounts before = media::frameCounts();
    harness->frames(20);
    const media::FrameCounts after = media::frameCounts();
    EXPECT_EQ(v().sharp.render.stage, SharpRenderStage::none);
    EXPECT_EQ(after.presented - before.presented, after.partial - before.partial);
    expectNoLayerFiles();
}

const ScreenCase screenCases[] = {{"ZoomedSixStepsOnPortrait", 1080, 1920, 6},
                                  {"FittedOn4KPortrait", 2160, 3840, 0}};
INSTANTIATE_TEST_SUITE_P(Screens, SharpLayerOnScreens, ::testing::ValuesIn(screenCases),
                         [](const ::testing::TestParamInfo<ScreenCase>& info) { return info.param.name; });

// The fitted page of this screen is smaller than its picture: only a zoom asks for a layer.
TEST_F(SharpLayer, AZoomOrAPageTurnBeforeItArrivesDropsItAndNoLayerShowsOverAnotherPage) {
    openDocument(1080, 1920);
    EXPECT_TRUE(currentView().empty());
    EXPECT_EQ(v().sharp.render.stage, SharpRenderStage::none);
    zoomStepAbout(v(), 20.0f, 540, 960);  // three times the fit
    harness->frames(1);
    ASSERT_EQ(v().sharp.render.stage, SharpRenderStage::running);
    EXPECT_EQ(v().sharp.render.view, currentView());
    EXPECT_EQ(media::ownProgramRunning("pdftopng.exe"), 0)
        << "the region renderer is never taken for the converter";
    auto expectDropped = [&](int process, const std::string& file) {
        EXPECT_FALSE(media::programRunning(process));
        EXPECT_FALSE(media::filePresent(file));
        EXPECT_NE(v().sharp.render.process, process);
        EXPECT_TRUE(v().sharp.shown.empty());
    };
    int process = v().sharp.render.process;
    std::string file = v().sharp.render.file;
    zoomStepAbout(v(), 2.5f, 540, 960);
    harness->frames(1);
    expectDropped(process, file);
    ASSERT_EQ(v().sharp.render.stage, SharpRenderStage::running);
    EXPECT_EQ(v().sharp.render.view, currentView());

    process = v().sharp.render.process;
    file = v().sharp.render.file;
    harness->keyDown(media::scan::pageDown);
    harness->frames(1);
    harness->keyUp(media::scan::pageDown);
    ASSERT_EQ(v().view.currentPage, 2);
    expectDropped(process, file);
    EXPECT_EQ(v().sharp.render.stage, SharpRenderStage::none) << "page 2 is fitted";
    zoomStepAbout(v(), 20.0f, 300, 700);
    bool arrived = false;
    for (int frame = 0; frame < 100000 && !arrived; ++frame) {
        harness->frames(1);
        const SharpView& shown = v().sharp.shown;
        ASSERT_TRUE(shown.empty() || shown.page == 2) << "a layer of page " << shown.page << " over page 2";
        arrived = shown == currentView() && !shown.empty();
    }
    ASSERT_TRUE(arrived);
    harness->frames(2);
    const SharpView view = currentView();
    EXPECT_LT(differingShare(view, directRender(view)), 0.002);
    expectNoLayerFiles();
}

}  // namespace
