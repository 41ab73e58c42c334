// The sharp layer: the part of the page it covers on each screen, and with the real tool programs its
// arrival over a settled view (what is presented is the page drawn at that scale), and how a zoom or
// a page turn before it arrives drops it, never leaving a layer over another page or a file behind.
#include "view/sharp_layer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "document/tools.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"
#include "view/page_view.h"

namespace {

struct PartCase {
    const char* what;
    PageOnScreen page;  // screen, page corner, displayed size, picture size
    PagePart part;
};

const PartCase partCases[] = {
    {"fitted smaller than its picture", {1080, 1920, 158, 420, 764, 1080, 1240, 1754}, {}},
    {"zoomed beyond the screen", {1080, 1920, -960, -1161, 3000, 4242, 993, 1404}, {960, 1161, 1080, 1920}},
    {"glided half off to the right", {1080, 1920, 700, -300, 2000, 2828, 993, 1404}, {0, 300, 380, 1920}},
    {"glided off the screen", {1080, 1920, 1080, 0, 2000, 2828, 993, 1404}, {}},
    {"at the largest size",
     {1080, 1920, -11000, -15000, 23174, 32767, 993, 1404},
     {11000, 15000, 1080, 1920}},
    {"A4 fitted on a 4K portrait screen", {2160, 3840, 316, 840, 1528, 2160, 993, 1404}, {0, 0, 1528, 2160}},
    {"fitted on a tall landscape screen", {2560, 1600, 714, 0, 1132, 1600, 993, 1404}, {0, 0, 1132, 1600}},
    {"larger in one direction only", {1080, 1920, 0, 0, 1001, 2990, 1000, 3000}, {0, 0, 1001, 1920}},
    {"a picture the converter reduced", {1080, 1920, -5000, 0, 40000, 1500, 20000, 750}, {}},
};

auto fields(const PagePart& p) {
    return std::make_tuple(p.x, p.y, p.width, p.height);
}

TEST(SharpLayerPart, CoversWhatOfAPageShownLargerThanItsPictureIsOnScreen) {
    for (const PartCase& c : partCases) EXPECT_EQ(fields(sharpPartOf(c.page)), fields(c.part)) << c.what;
}

// A two-page A4 document of text lines converted by the viewer on a 1080 x 1920 screen, page 1 fitted
// (smaller than its picture there: no layer), the pointer below what is compared.
class SharpLayer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeTextPagesPdf(pdf));
        harness->open(pdf);
        ASSERT_TRUE(harness->runUntil([&] { return conversionFinished(v(), 2); }, 10000000, 5, 120.0));
        harness->moveTo(540, 1860);
        harness->frames(2);
    }

    Viewer& v() { return harness->v(); }

    // The share of the presented page's pixels (the bottom band with the counter and pointer left out)
    // more than 8 levels away from the region renderer's own picture of the view on screen.
    double differenceFromDirectRender() {
        const SharpView view = sharpViewOnScreen(v());
        const std::string file = makeTemporaryFolder("sharp-direct") + "direct.png";
        media::RunOptions wait;
        wait.wait = true;
        media::runProgram(v().tools.toolFolder + "pdfregion.exe",
                          regionRendererArguments(sharpRegionOf(v(), view), pdf, file), wait);
        media::Picture direct;
        if (!media::decodeImageFile(file, direct) || direct.width != view.width) return 1.0;
        const int left = v().view.pageX + v().view.zoomOffsetX + view.x;
        const int top = v().view.pageY + v().view.zoomOffsetY + view.y;
        std::int64_t compared = 0, differing = 0;
        for (int y = 0; y < std::min(view.height, 1760 - top); y += 2)
            for (int x = 0; x < view.width; ++x, ++compared) {
                const std::uint32_t want = direct.pixels[static_cast<std::size_t>(y) * direct.width + x];
                const media::Colour shown = harness->pixel(left + x, top + y);
                differing += std::abs(media::red(shown) - int(want & 0xFF)) > 8 ||
                             std::abs(media::green(shown) - int((want >> 8) & 0xFF)) > 8;
            }
        return static_cast<double>(differing) / static_cast<double>(std::max<std::int64_t>(compared, 1));
    }

    void expectNoLayerFiles() {
        for (const auto& entry : std::filesystem::directory_iterator(v().document.documentCacheFolder))
            EXPECT_EQ(entry.path().filename().string().find("sharp-"), std::string::npos) << entry.path();
    }

    std::unique_ptr<Harness> harness = std::make_unique<Harness>(HarnessOptions{.realClock = true});
    std::string pdf = makeTemporaryFolder("sharp-layer") + "two pages.pdf";
};

TEST_F(SharpLayer, ASettledZoomIsPresentedAsThePageDrawnAtItsScaleAndStaysStill) {
    for (int step = 0; step < 6; ++step) zoomStepAbout(v(), 2.5f, 540, 960);  // six Control+plus steps
    endSharpLayer(v());  // the next frame shows the page picture stretched, as it was before any layer
    harness->frames(1);
    EXPECT_GT(differenceFromDirectRender(), 0.02) << "the stretched picture";
    ASSERT_TRUE(harness->runUntil([&] { return sharpLayerCoversPage(v()); }, 10000000, 5, 20.0));
    EXPECT_LT(differenceFromDirectRender(), 0.002);
    // A still picture: nothing is asked for again, and the frames present the pulsing pointer alone.
    const media::FrameCounts before = media::frameCounts();
    harness->frames(20);
    EXPECT_EQ(v().sharp.render.stage, SharpRenderStage::none);
    EXPECT_EQ(media::frameCounts().presented - before.presented,
              media::frameCounts().partial - before.partial);
    expectNoLayerFiles();
    // A renderer that has gone meanwhile (killed, out of its processor time) is replaced.
    const int renderer = v().sharp.server.process;
    ASSERT_TRUE(media::stopProgram(renderer));
    zoomStepAbout(v(), 2.5f, 540, 960);
    ASSERT_TRUE(harness->runUntil([&] { return sharpLayerCoversPage(v()); }, 10000000, 5, 20.0));
    EXPECT_NE(v().sharp.server.process, renderer);
}

TEST_F(SharpLayer, AZoomOrAPageTurnBeforeItArrivesDropsItAndNoLayerShowsOverAnotherPage) {
    EXPECT_TRUE(sharpViewOnScreen(v()).empty());
    // A request the view has moved on from is finished unseen by the same renderer, then the new one goes.
    auto zoomAndExpectRender = [&](float delta) {
        zoomStepAbout(v(), delta, 540, 960);
        harness->frames(1);
        EXPECT_TRUE(harness->runUntil([&] { return v().sharp.render.stage == SharpRenderStage::running; },
                                      100000, 1, 20.0));
        EXPECT_EQ(v().sharp.render.view, sharpViewOnScreen(v()));
        return v().sharp.render;
    };
    auto expectDropped = [&](const SharpRender& render) {
        EXPECT_TRUE(harness->runUntil([&] { return v().sharp.server.requestInFlight != render.request; },
                                      100000, 1, 20.0));
        EXPECT_NE(v().sharp.render.request, render.request);
        EXPECT_TRUE(v().sharp.shown.empty());
    };
    const SharpRender first = zoomAndExpectRender(20.0f);  // three times the fit
    const int renderer = v().sharp.server.process;
    EXPECT_EQ(media::isProgramRunning("pdftopng.exe"), 0) << "the region renderer is taken for the converter";
    const SharpRender second = zoomAndExpectRender(2.5f);
    expectDropped(first);
    EXPECT_EQ(v().sharp.server.process, renderer);
    harness->tapKey(media::scan::pageDown);
    ASSERT_EQ(v().view.currentPage, 2);
    expectDropped(second);
    EXPECT_EQ(v().sharp.render.stage, SharpRenderStage::none) << "page 2 is fitted";
    zoomStepAbout(v(), 20.0f, 300, 700);
    for (int frame = 0; frame < 100000 && !sharpLayerCoversPage(v()); ++frame) {
        harness->frames(1);
        ASSERT_TRUE(v().sharp.shown.empty() || v().sharp.shown.page == 2) << "a layer of page 1 over page 2";
    }
    ASSERT_TRUE(sharpLayerCoversPage(v()));
    harness->frames(1);
    EXPECT_LT(differenceFromDirectRender(), 0.002);
    expectNoLayerFiles();
}

}  // namespace
