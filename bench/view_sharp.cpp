// The sharp layer's figures, each beside a reference measured in the same run: a zoom settled at three
// times the fit to the presented layer, against the region renderer drawing that part alone (its
// process start included); and how sharp text looks in the screen's middle (the share of ink pixels
// that is mid-grey), zoomed six Control+plus steps and fitted on a 4K portrait screen, stretched as
// before the layer, with it, and drawn directly at that scale. Prints one "name: value" a line.
#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/sharpness.h"
#include "document/tools.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "view/page_view.h"
#include "view/sharp_layer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int repeats = 11;

void report(const std::string& name, double value) {
    std::printf("%s: %.3f\n", name.c_str(), value);
}

double median(std::vector<double> values) {
    if (values.empty()) return -1.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double millisecondsToPresented(Clock::time_point start) {
    const std::chrono::nanoseconds presented{media::frameCounts().lastPresentedNanoseconds};
    return std::chrono::duration<double, std::milli>(presented - start.time_since_epoch()).count();
}

// An A4 title page as a paper's first page (a large title, a subtitle and an author above lines of
// body text), then a page of text.
std::string makeTextDocument() {
    const std::string pdf = makeTemporaryFolder("bench-sharp") + "a4.pdf";
    cairo_surface_t* surface = cairo_pdf_surface_create(pdf.c_str(), 595.276, 841.89);
    cairo_t* cr = cairo_create(surface);
    for (int page = 0; page < 2; ++page) {
        double y = 60;
        const std::pair<double, std::string> heading[] = {
            {36, "Sharp at Every Zoom"}, {22, "and on every screen"}, {16, "A. N. Author, Pagewell"}};
        for (const auto& [size, text] : heading) {
            if (page > 0) break;
            cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
            cairo_set_font_size(cr, size);
            cairo_move_to(cr, 36, y += size * 1.6);
            cairo_show_text(cr, text.c_str());
        }
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, 12);
        for (int line = 0; line < 36; ++line) {
            cairo_move_to(cr, 36, y += 16);
            cairo_show_text(
                cr,
                ("Line " + std::to_string(line) + ": the quick brown fox jumps over the lazy dog").c_str());
        }
        cairo_show_page(cr);
    }
    const bool written = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return written ? pdf : "";
}

// A viewer on a screen of the given size with the document converted and its fitted page shown.
bool openConverted(Harness& h, const std::string& pdf) {
    h.open(pdf);
    if (!h.runUntil([&] { return conversionFinished(h.v(), 2); }, 10000000, 5, 120.0)) return false;
    h.moveTo(h.v().layout.screenWidth / 2, h.v().layout.screenHeight - 40);
    h.frames(2);
    return true;
}

// The region renderer alone for view, to its exit: milliseconds, or -1 when it failed.
double renderAlone(Viewer& v, const SharpView& view, const std::string& pdf, const std::string& file) {
    media::deleteFile(file);
    const auto start = Clock::now();
    const int process = media::runProgram(v.tools.toolFolder + "pdfregion.exe",
                                          regionRendererArguments(sharpRegionOf(v, view), pdf, file), {});
    media::raiseProgramPriority(process);  // as the viewer starts it
    while (media::programRunning(process)) std::this_thread::sleep_for(std::chrono::microseconds(200));
    const double spent = millisecondsSince(start);
    return media::filePresent(file) ? spent : -1.0;
}

void settleToLayer(const std::string& pdf) {
    HarnessOptions options;
    options.realClock = true;
    Harness h(options);
    media::captureFrames(false);  // the harness keeps a copy of every frame for tests; a viewer does not
    if (!openConverted(h, pdf)) return report("sharp_settle_open_failed", 1);
    Viewer& v = h.v();
    const std::string scratch = makeTemporaryFolder("bench-sharp-alone") + "alone.pam";
    std::vector<double> layer, alone, zoomFrame;
    for (int round = 0; round < repeats; ++round) {
        restoreFit(v);  // fitted on this screen the page is smaller than its picture: no layer
        h.frames(4);
        zoomStepAbout(v, 20.0f, 440 + round * 20, 960);  // three times the fit, about another point each time
        const auto start = Clock::now();
        h.frames(1);
        zoomFrame.push_back(millisecondsToPresented(start));
        if (!h.runUntil([&] { return sharpLayerCoversPage(h.v()); }, 10000000, 5, 20.0))
            return report("sharp_zoom_failed", 1);
        layer.push_back(millisecondsToPresented(start));  // the frame that took the layer drew it
        alone.push_back(renderAlone(v, v.sharp.shown, pdf, scratch));
        if (alone.back() < 0) return report("sharp_render_alone_failed", 1);
    }
    report("sharp_zoom_3x_settled_to_layer_presented_ms", median(layer));
    report("sharp_zoom_3x_reference_region_render_alone_ms", median(alone));
    report("sharp_zoom_3x_ratio_to_render_alone", median(layer) / median(alone));
    report("sharp_zoom_3x_first_zoomed_frame_presented_ms", median(zoomFrame));
}

double middleShareOfFrame(Harness& h) {
    const ScreenMiddle middle = screenMiddle(h.v().layout.screenWidth, h.v().layout.screenHeight);
    auto grey = [&](int x, int y) {
        const media::Colour c = h.pixel(x, y);
        return greyOf(media::red(c), media::green(c), media::blue(c));
    };
    return midGreyShare(grey, middle.x0, middle.y0, middle.x1, middle.y1);
}

// The same screen middle in the page drawn directly at the view's scale.
double middleShareOfDirectRender(Harness& h, const std::string& pdf) {
    Viewer& v = h.v();
    const SharpView view = v.sharp.shown;
    const std::string file = makeTemporaryFolder("bench-sharp-direct") + "direct.png";
    media::Picture picture;
    if (renderAlone(v, view, pdf, file) < 0 || !media::decodeImageFile(file, picture)) return -1.0;
    const int left = v.view.pageX + v.view.zoomOffsetX + view.x,
              top = v.view.pageY + v.view.zoomOffsetY + view.y;
    auto grey = [&](int x, int y) {
        const int px = std::clamp(x - left, 0, picture.width - 1),
                  py = std::clamp(y - top, 0, picture.height - 1);
        const std::uint32_t pixel = picture.pixels[static_cast<std::size_t>(py) * picture.width + px];
        return greyOf(pixel & 0xFF, (pixel >> 8) & 0xFF, (pixel >> 16) & 0xFF);
    };
    const ScreenMiddle middle = screenMiddle(v.layout.screenWidth, v.layout.screenHeight);
    return midGreyShare(grey, middle.x0, middle.y0, middle.x1, middle.y1);
}

// The screen middle's share stretched (the frame before the layer), with the layer, and drawn directly.
void sharpness(const std::string& name, const std::string& pdf, int width, int height, int zoomSteps) {
    HarnessOptions options;
    options.realClock = true;
    options.desktopWidth = width;
    options.desktopHeight = height;
    Harness h(options);
    if (!openConverted(h, pdf)) return report(name + "_open_failed", 1);
    Viewer& v = h.v();
    for (int step = 0; step < zoomSteps; ++step)
        zoomStepAbout(v, 2.5f, width / 2, height / 2);  // Control+plus
    endSharpLayer(v);  // the next frame shows the page as it was shown before the layer existed
    h.frames(1);
    const double stretched = middleShareOfFrame(h);
    if (!h.runUntil([&] { return sharpLayerCoversPage(h.v()); }, 10000000, 5, 20.0))
        return report(name + "_layer_failed", 1);
    h.frames(2);
    report(name + "_mid_grey_share_stretched_picture", stretched);
    report(name + "_mid_grey_share_with_layer", middleShareOfFrame(h));
    report(name + "_mid_grey_share_reference_direct_render", middleShareOfDirectRender(h, pdf));
}

}  // namespace

// With arguments, only the figures whose names are given run: settle, sharpness.
int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    auto wanted = [&](const std::string& name) {
        return argc < 2 || std::find(argv + 1, argv + argc, name) != argv + argc;
    };
    const std::string pdf = makeTextDocument();
    if (pdf.empty()) {
        report("sharp_document_failed", 1);
        return 1;
    }
    if (wanted("settle")) settleToLayer(pdf);
    if (wanted("sharpness")) {
        sharpness("sharp_zoomed_six_steps_1080x1920", pdf, 1080, 1920, 6);
        sharpness("sharp_fitted_2160x3840", pdf, 2160, 3840, 0);
    }
    return 0;
}
