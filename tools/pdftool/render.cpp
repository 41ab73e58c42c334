// pdftopng.exe: renders pages to "<root>-000007.png" files, 8-bit RGB at the asked resolution.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "tool.h"

namespace {

constexpr unsigned kSecondsPerPage = 120;
// Bounds on one page image, so that a huge page size cannot exhaust memory. The viewer decodes,
// converts and shows a page image on its main thread: past an A0 poster at 120 dpi it would stall
// the viewer for seconds and take hundreds of megabytes for one page.
constexpr double kMaximumSide = 20000.0;
constexpr double kMaximumPixels = 25.0e6;  // 75 MB of RGB
constexpr double kMaximumDotsPerInch = 10000.0;
constexpr int kNotGiven = -2000000000;

struct RenderRequest {
    bool quiet = false;
    int firstPage = kNotGiven;
    int lastPage = kNotGiven;
    double dotsPerInch = 150.0;
    std::string document;
    std::string root;
};

bool parseInteger(const std::string& text, int& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long number = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || number < -1000000000L || number > 1000000000L) return false;
    value = static_cast<int>(number);
    return true;
}

bool parseResolution(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(value) && value > 0 && value <= kMaximumDotsPerInch;
}

bool parseOption(const std::vector<std::string>& arguments, std::size_t& i, RenderRequest& request) {
    const std::string& option = arguments[i];
    if (option == "-q") {
        request.quiet = true;
        return true;
    }
    if (i + 1 >= arguments.size()) return false;
    const std::string& value = arguments[++i];
    if (option == "-f") return parseInteger(value, request.firstPage);
    if (option == "-l") return parseInteger(value, request.lastPage);
    if (option == "-r") return parseResolution(value, request.dotsPerInch);
    return false;
}

bool parseRenderArguments(const std::vector<std::string>& arguments, RenderRequest& request) {
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && argument == "--")
            optionsEnded = true;
        else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            if (!parseOption(arguments, i, request)) return false;
        } else
            positional.push_back(argument);
    }
    if (positional.size() != 2 || positional[0].empty() || positional[1].empty()) return false;
    request.document = positional[0];
    request.root = positional[1];
    return true;
}

std::string pageFileName(const std::string& root, int page) {
    char number[16];
    std::snprintf(number, sizeof number, "-%06d.png", page);
    return root + number;
}

// The scale from points to pixels, reduced (with a note) when the image would be too large.
float boundedScale(fz_rect bounds, double dotsPerInch, int page) {
    double scale = dotsPerInch / 72.0;
    double width = (bounds.x1 - bounds.x0) * scale;
    double height = (bounds.y1 - bounds.y0) * scale;
    double reduction =
        std::min({1.0, kMaximumSide / std::max(width, 1.0), kMaximumSide / std::max(height, 1.0),
                  std::sqrt(kMaximumPixels / std::max(width * height, 1.0))});
    if (reduction < 1.0)
        reportError("page " + std::to_string(page) + " is too large for " +
                    std::to_string(std::lround(dotsPerInch)) + " dpi; it is rendered at " +
                    std::to_string(std::lround(dotsPerInch * reduction)) + " dpi");
    return static_cast<float>(scale * reduction);
}

// Renders page (1-based) into an RGB pixmap without alpha; null with errorText on failure.
fz_pixmap* renderPixmap(PdfSession& session, int page, double dotsPerInch, std::string& errorText) {
    fz_context* ctx = session.ctx;
    fz_page* loaded = nullptr;
    fz_pixmap* pixmap = nullptr;
    fz_var(loaded);
    fz_var(pixmap);
    fz_try(ctx) {
        loaded = fz_load_page(ctx, asDocument(session), page - 1);
        fz_rect bounds = fz_bound_page(ctx, loaded);
        if (fz_is_empty_rect(bounds)) fz_throw(ctx, FZ_ERROR_GENERIC, "the page has no area");
        float scale = boundedScale(bounds, dotsPerInch, page);
        pixmap = fz_new_pixmap_from_page(ctx, loaded, fz_scale(scale, scale), fz_device_rgb(ctx), 0);
    }
    fz_always(ctx) {
        fz_drop_page(ctx, loaded);
    }
    fz_catch(ctx) {
        errorText = fz_caught_message(ctx);
        pixmap = nullptr;
    }
    return pixmap;
}

bool savePixmap(fz_context* ctx, fz_pixmap* pixmap, const std::string& path, double dotsPerInch) {
    TemporaryOutput output;
    if (!openTemporaryOutput(path, output)) return false;
    int width = fz_pixmap_width(ctx, pixmap);
    int height = fz_pixmap_height(ctx, pixmap);
    if (!writeRgbPng(output.file, width, height, fz_pixmap_samples(ctx, pixmap),
                     fz_pixmap_stride(ctx, pixmap), dotsPerInch)) {
        discardTemporaryOutput(output);
        return false;
    }
    return commitTemporaryOutput(output);
}

bool renderPage(PdfSession& session, const RenderRequest& request, int page) {
    armWatchdog(kSecondsPerPage);
    std::string errorText;
    fz_pixmap* pixmap = renderPixmap(session, page, request.dotsPerInch, errorText);
    if (!pixmap) {
        reportError("cannot render page " + std::to_string(page) + " of '" + request.document +
                    "': " + errorText);
        return false;
    }
    bool saved = savePixmap(session.ctx, pixmap, pageFileName(request.root, page), request.dotsPerInch);
    fz_drop_pixmap(session.ctx, pixmap);
    return saved;
}

// A page that fails leaves no file; the others of the range are still rendered.
bool renderRange(PdfSession& session, const RenderRequest& request) {
    bool all = true;
    for (int page = request.firstPage; page <= request.lastPage; ++page)
        all = renderPage(session, request, page) && all;
    return all;
}

std::string pagesText(int count) {
    return std::to_string(count) + (count == 1 ? " page" : " pages");
}

// Both ends of the range must lie in the document; nothing is clamped.
bool checkRange(RenderRequest& request, int pageCount) {
    if (request.firstPage == kNotGiven) request.firstPage = 1;
    if (request.lastPage == kNotGiven) request.lastPage = pageCount;
    if (request.firstPage < 1 || request.lastPage > pageCount || request.firstPage > request.lastPage) {
        std::string asked = request.firstPage == request.lastPage
                                ? "page " + std::to_string(request.firstPage) + " is"
                                : "pages " + std::to_string(request.firstPage) + " to " +
                                      std::to_string(request.lastPage) + " are";
        reportError(asked + " not in '" + request.document + "', which has " + pagesText(pageCount));
        return false;
    }
    return true;
}

}  // namespace

int runRender(const std::vector<std::string>& arguments) {
    RenderRequest request;
    if (!parseRenderArguments(arguments, request)) {
        std::fprintf(stderr, "usage: %s [-q] [-f first] [-l last] [-r dpi] <document.pdf> <output root>\n",
                     programName().c_str());
        return kExitUsage;
    }
    armWatchdog(kSecondsPerPage);
    PdfSession session;
    if (int status = openPdf(request.document, request.quiet, session); status != kExitOk) return status;
    bool ok = checkRange(request, session.pageCount);
    if (ok) ok = renderRange(session, request);
    closePdf(session);
    return ok ? kExitOk : kExitFailure;
}
