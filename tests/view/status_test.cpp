// The status line in the tool-bar sprite: where its upper lines end and how the resolution rounds.
#include <string>

#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/scratch.h"
#include "tests/view/view_fixture.h"

namespace {

TEST(StatusLine, EndsAtTheDetachButtonAndRoundsTheResolution) {
    Harness h({.withTools = false});
    ASSERT_TRUE(h.started());
    Viewer& v = h.v();
    std::string file = makeTemporaryFolder("view-status") + "toolbar.png";
    auto drawn = [&](float dpi) {
        v.document.renderDpi = dpi;
        drawStatusLine(v);
        media::saveSpritePng(sprite::toolbar, file);
        return fileText(file);
    };
    std::string at150 = drawn(150.0f);
    EXPECT_EQ(drawn(149.6f), at150);
    EXPECT_NE(drawn(149.4f), at150);
    auto darkBetween = [&](int fromX, int toX) {
        for (int x = fromX; x < toX; ++x)
            for (int y = v.layout.mediumFontSize; y < v.layout.mediumFontSize + 20; ++y)
                if (media::red(viewtest::spritePixel(sprite::toolbar, x, y)) < 100) return true;
        return false;
    };
    int detach = v.layout.detachButtonX;
    EXPECT_TRUE(darkBetween(detach - 60, detach));
    EXPECT_FALSE(darkBetween(detach, v.layout.screenWidth));
    EXPECT_FALSE(darkBetween(detach - 240, detach - 200));
    v.document.pageCountShown = v.view.currentPage = 999999;  // a longer text grows to the left
    drawStatusLine(v);
    EXPECT_TRUE(darkBetween(detach - 240, detach - 200));
}

}  // namespace
