// Text drawing figures: a line of plain ASCII, the common case, against a line mixing scripts drawn
// from fallback faces and right to left; "name: value" lines.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

#include "media/display/display.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/text/text.h"

namespace {

constexpr int canvas = 7;

// The best of several runs of the work repeated, in processor microseconds per repetition.
double bestCpuMicroseconds(const std::function<void()>& work, int repetitions, int runs = 9) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const std::clock_t start = std::clock();
        for (int r = 0; r < repetitions; ++r) work();
        best = std::min(best, 1e6 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC / repetitions);
    }
    return best;
}

void printFigure(const std::string& name, double value) {
    std::printf("%s: %.3f\n", name.c_str(), value);
}

}  // namespace

int main() {
    if (!media::startDisplay() || !media::openWindow(1080, 200, "bench", media::WindowFlags{}) ||
        !media::openDisplay(1080, 200) || !media::loadFont(0, "Lucida Console", 10, false) ||
        !media::createSprite(canvas, 1080, 40)) {
        std::fprintf(stderr, "bench_text_drawing: no display or font\n");
        return 1;
    }
    media::beginDrawing(canvas);
    media::setFont(0);
    media::setDrawingMode(media::mode::transparent);
    const std::string ascii =
        "The quick brown fox jumps over the lazy dog; 0123456789 (plain ASCII text line) ...";
    const std::string mixed = "日本語の説明書 Ελληνικά Кириллица العربية 中文 plain ASCII between them";
    const auto draw = [](const std::string& line) {
        return [&line] { media::drawText(0, 0, line, 0xFFFFFF); };
    };
    const auto measure = [](const std::string& line) { return [&line] { media::textWidth(line); }; };
    const double asciiDraw = bestCpuMicroseconds(draw(ascii), 2000);
    const double mixedDraw = bestCpuMicroseconds(draw(mixed), 2000);
    printFigure("text_draw_ascii_line_us", asciiDraw);
    printFigure("text_draw_mixed_scripts_line_us", mixedDraw);
    printFigure("text_draw_mixed_vs_ascii_ratio", mixedDraw / asciiDraw);
    const double asciiWidth = bestCpuMicroseconds(measure(ascii), 20000);
    const double mixedWidth = bestCpuMicroseconds(measure(mixed), 20000);
    printFigure("text_width_ascii_line_us", asciiWidth);
    printFigure("text_width_mixed_scripts_line_us", mixedWidth);
    printFigure("text_width_mixed_vs_ascii_ratio", mixedWidth / asciiWidth);
    media::endDrawing();
    media::stopDisplay();
    return 0;
}
