// Frame-test set-up for the page view and the sheet: page image files of known size in a cache
// folder, and a viewer that shows them as an open document.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "context/fitting.h"
#include "document/conversion.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "view/page_view.h"
#include "view/sheet.h"

namespace viewtest {

constexpr int scratchSprite = 700;

inline media::Colour pageColour(int page) {
    return media::rgb(20 + page * 10, 120, 200);
}

// Writes page's picture, filled with its own colour, as "page-00000N.png" or ".jpg".
inline bool writePageFile(const std::string& folder, int page, int width, int height, bool jpeg) {
    const std::string base = pageImageBase(folder, page), png = base + ".png";
    if (!media::createSprite(scratchSprite, width, height) || !media::beginDrawing(scratchSprite))
        return false;
    media::fillBox(0, 0, width, height, pageColour(page));
    media::endDrawing();
    bool written = media::saveSpritePng(scratchSprite, png);
    media::freeSprite(scratchSprite);
    if (!written || !jpeg) return written;
    written = media::loadImage(scratchSprite, png) && media::saveImageJpeg(scratchSprite, base + ".jpg", 9);
    media::freeImage(scratchSprite);
    media::deleteFile(png);
    return written;
}

inline media::Colour spritePixel(int sprite, int x, int y) {
    if (!media::beginDrawing(sprite)) return 0xFFFFFFFFu;
    media::Colour colour = media::pixelColour(x, y);
    media::endDrawing();
    return colour;
}

inline bool near(media::Colour a, media::Colour b, int tolerance = 6) {
    return std::abs(media::red(a) - media::red(b)) <= tolerance &&
           std::abs(media::green(a) - media::green(b)) <= tolerance &&
           std::abs(media::blue(a) - media::blue(b)) <= tolerance;
}

// A started viewer with a document of pageCount pages of width x height (pages listed in
// missingPages have no file), page 1 shown.
class ViewerWithPages : public ::testing::Test {
protected:
    void open(int pageCount, int width = 1240, int height = 1754, HarnessOptions options = {},
              std::initializer_list<int> missingPages = {}) {
        options.withTools = false;
        options.pointer = pointer;
        harness.reset();  // one display at a time
        harness = std::make_unique<Harness>(options);
        ASSERT_TRUE(harness->started());
        folder = makeTemporaryFolder("view-pages");
        for (int page = 1; page <= pageCount; ++page)
            ASSERT_TRUE(std::ranges::find(missingPages, page) != missingPages.end() ||
                        writePageFile(folder, page, width, height, true));
        harness->showCachedPages(folder, pageCount);
        frames(1);  // the pointer placed at start-up arrives as motion in the next frame
        moveTo(700, 1000);
        frames(2);
    }

    // What the page-file worker leaves behind (the grid, images 1..pageCount at the cell size, pages in
    // missing without one), built into the sheet.
    void buildSheet(std::initializer_list<int> missing = {}) {
        Viewer& viewer = v();
        ThumbnailGrid grid = chooseThumbnailGrid(viewer.document.pageCount, viewer.view.pageFitWidth,
                                                 viewer.view.pageFitHeight);
        for (int page = 1; page <= viewer.document.pageCount; ++page) {
            if (std::find(missing.begin(), missing.end(), page) != missing.end()) continue;
            ASSERT_TRUE(media::loadImage(page, pageImageBase(folder, page) + ".jpg"));
            ASSERT_TRUE(media::resizeImage(page, grid.cellWidth, grid.cellHeight));
        }
        buildThumbnailSheet(viewer, {grid.columns, grid.rows, grid.cellWidth, grid.cellHeight});
    }

    Viewer& v() { return harness->v(); }
    void frames(int count, int ms = 5) { harness->frames(count, ms); }
    void moveTo(int x, int y) { harness->moveTo(x, y); }
    void moveInFrame(int x, int y) {  // the motion and the frame that takes it
        moveTo(x, y);
        frames(1);
    }
    void press() {
        harness->press();
        frames(1);
    }
    void release() {
        harness->release();
        frames(1);
    }
    // A press and a release duration milliseconds apart, each handled in its own frame.
    void tap(int duration) {
        harness->press();
        frames(1);
        harness->advance(duration - 1);
        harness->release();
        frames(1, 1);
    }

    bool hoversBeforePress() const { return pointer == PointerStyle::mouse; }

    std::unique_ptr<Harness> harness;
    std::string folder;
    PointerStyle pointer = PointerStyle::mouse;  // for every harness open() makes
};

// A ViewerWithPages fixture whose suite runs with the mouse and with touch (instantiated with pointerStyles).
template <class Fixture>
class ByPointer : public Fixture, public ::testing::WithParamInterface<PointerStyle> {
protected:
    ByPointer() { this->pointer = GetParam(); }
};

}  // namespace viewtest
