// pdftopng.exe: renders pages to "<root>-000007.png" files, 8-bit RGB at the asked resolution (with
// -share, the first of them also into memory the viewer shares, ahead of its file);
// pdfregion.exe: renders one rectangle of a page at the asked resolution into the file named; with
// -serve it keeps the document open and renders one rectangle for each line it reads.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

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
    bool share = false;  // -share: the first page also goes into the memory shared as descriptor 3
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

bool parseResolution(const std::string& text, double& value, double maximum) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(value) && value > 0 && value <= maximum;
}

// The option at arguments[i]: -q sets quiet; any other takes the next argument, which parseValue reads.
// False for an unknown option, a missing value or one parseValue refuses.
template <typename ParseValue>
bool parseOptionWith(const std::vector<std::string>& arguments, std::size_t& i, bool& quiet,
                     ParseValue parseValue) {
    if (arguments[i] == "-q") {
        quiet = true;
        return true;
    }
    if (i + 1 >= arguments.size()) return false;
    const std::string& option = arguments[i];
    return parseValue(option, arguments[++i]);
}

bool parseOption(const std::vector<std::string>& arguments, std::size_t& i, RenderRequest& request) {
    if (arguments[i] == "-share") {
        request.share = true;
        return true;
    }
    return parseOptionWith(arguments, i, request.quiet,
                           [&](const std::string& option, const std::string& value) {
                               if (option == "-f") return parseInteger(value, request.firstPage);
                               if (option == "-l") return parseInteger(value, request.lastPage);
                               if (option == "-r")
                                   return parseResolution(value, request.dotsPerInch, kMaximumDotsPerInch);
                               return false;
                           });
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

// The header the viewer takes, byte for byte (media/pictures/images.cpp reads the same one): the tools
// share nothing with the viewer but command lines and files.
std::string pamHeader(int width, int height) {
    char text[128];
    std::snprintf(text, sizeof text,
                  "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", width,
                  height);
    return text;
}

void rgbaRow(const unsigned char* rgb, int width, unsigned char* rgba) {
    for (int x = 0; x < width; ++x, rgb += 3, rgba += 4) {
        rgba[0] = rgb[0];
        rgba[1] = rgb[1];
        rgba[2] = rgb[2];
        rgba[3] = 255;
    }
}

// The PAM of saveRgbaPam into memory: its length, or 0 when it does not fit.
std::size_t putRgbaPam(fz_context* ctx, fz_pixmap* pixmap, unsigned char* memory, std::size_t size) {
    const int width = fz_pixmap_width(ctx, pixmap), height = fz_pixmap_height(ctx, pixmap);
    const std::string header = pamHeader(width, height);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    const std::size_t length = header.size() + rowBytes * static_cast<std::size_t>(height);
    if (length > size) return 0;
    std::memcpy(memory, header.data(), header.size());
    const unsigned char* row = fz_pixmap_samples(ctx, pixmap);
    unsigned char* out = memory + header.size();
    for (int y = 0; y < height; ++y, row += fz_pixmap_stride(ctx, pixmap), out += rowBytes)
        rgbaRow(row, width, out);
    return length;
}

// Memory the viewer shares as descriptor 3, when it does: a served region named "-", or the page of a
// converter started with -share, is drawn into it.
struct SharedMemory {
    unsigned char* bytes = nullptr;
    std::size_t size = 0;
};

SharedMemory mapSharedMemory() {
    constexpr int descriptor = 3;
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) return {};
    const auto size = static_cast<std::size_t>(status.st_size);
    void* bytes = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    return bytes == MAP_FAILED ? SharedMemory{} : SharedMemory{static_cast<unsigned char*>(bytes), size};
}

// A page converter started with -share puts its page into the shared memory before it writes the
// page's file, for a viewer waiting on that page: the PAM from sharedPageOffset, then the PAM's length
// in the first eight bytes, stored last (they hold 0 until then), so that the viewer can take the page
// as soon as it is whole. A page larger than the memory is not shared; its file still comes.
constexpr std::size_t sharedPageOffset = 64;

void sharePage(fz_context* ctx, fz_pixmap* pixmap, const SharedMemory& shared) {
    if (shared.bytes == nullptr || shared.size <= sharedPageOffset) return;
    const std::size_t length =
        putRgbaPam(ctx, pixmap, shared.bytes + sharedPageOffset, shared.size - sharedPageOffset);
    if (length == 0) return;
    std::atomic_ref<std::uint64_t>(*reinterpret_cast<std::uint64_t*>(shared.bytes))
        .store(length, std::memory_order_release);
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

bool renderPage(PdfSession& session, const RenderRequest& request, int page, const SharedMemory& shared) {
    armWatchdog(kSecondsPerPage);
    std::string errorText;
    fz_pixmap* pixmap = renderPixmap(session, page, request.dotsPerInch, errorText);
    if (!pixmap) {
        reportError("cannot render page " + std::to_string(page) + " of '" + request.document +
                    "': " + errorText);
        return false;
    }
    if (page == request.firstPage) sharePage(session.ctx, pixmap, shared);
    bool saved = savePixmap(session.ctx, pixmap, pageFileName(request.root, page), request.dotsPerInch);
    fz_drop_pixmap(session.ctx, pixmap);
    return saved;
}

// A page that fails leaves no file; the others of the range are still rendered.
bool renderRange(PdfSession& session, const RenderRequest& request) {
    const SharedMemory shared = request.share ? mapSharedMemory() : SharedMemory{};
    bool all = true;
    for (int page = request.firstPage; page <= request.lastPage; ++page)
        all = renderPage(session, request, page, shared) && all;
    if (shared.bytes != nullptr) munmap(shared.bytes, shared.size);
    return all;
}

std::string pagesText(int count) {
    return std::to_string(count) + (count == 1 ? " page" : " pages");
}

// Both ends of the range must lie in the document; nothing is clamped. Only a range without its last
// page, or one refused, needs the pages counted: a page named is looked up alone.
bool checkRange(RenderRequest& request, PdfSession& session) {
    if (request.firstPage == kNotGiven) request.firstPage = 1;
    if (request.lastPage == kNotGiven) request.lastPage = reachablePageCount(session);
    if (request.firstPage > request.lastPage || !pageInDocument(session, request.firstPage) ||
        !pageInDocument(session, request.lastPage)) {
        const int pageCount = reachablePageCount(session);
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
        std::fprintf(stderr,
                     "usage: %s [-q] [-share] [-f first] [-l last] [-r dpi] <document.pdf> <output root>\n",
                     programName().c_str());
        return kExitUsage;
    }
    armWatchdog(kSecondsPerPage);
    PdfSession session;
    if (int status = openPdf(request.document, request.quiet, session, true); status != kExitOk)
        return status;
    bool ok = checkRange(request, session);
    if (ok) ok = renderRange(session, request);
    closePdf(session);
    return ok ? kExitOk : kExitFailure;
}

namespace {

// One rectangle of a page: pdfregion.exe [-q] -f P -r DPI -c X0,Y0,X1,Y1 <document.pdf> <output.png|.pam>.
// The rectangle is in points from the page's top-left corner as shown (its rotation applied); the
// image covers exactly the pixels round(X0 * DPI / 72) .. round(X1 * DPI / 72) (and so for Y) of the
// page drawn whole at DPI, so that its caller knows where each pixel lands.
struct RegionRequest {
    bool quiet = false;
    int page = kNotGiven;
    double dotsPerInch = 0.0;
    double clip[4] = {0, 0, 0, 0};
    bool clipGiven = false;
    std::string document;
    std::string output;
    bool shared = false;  // served into the shared memory instead of output
};

constexpr double kLargestCoordinate = 1.0e6;
// A part of a small page zoomed to the viewer's largest display size asks for more than a whole page
// may get; its pixels are still bounded by the screen, and its device coordinates by that size.
constexpr double kMaximumRegionDotsPerInch = 1.0e6;

bool parseClip(const std::string& text, double (&clip)[4]) {
    const char* at = text.c_str();
    for (int i = 0; i < 4; ++i) {
        char* end = nullptr;
        clip[i] = std::strtod(at, &end);
        if (end == at || !std::isfinite(clip[i]) || std::fabs(clip[i]) > kLargestCoordinate) return false;
        if (*end != (i < 3 ? ',' : '\0')) return false;
        at = end + 1;
    }
    return clip[2] > clip[0] && clip[3] > clip[1];
}

bool parseRegionOption(const std::vector<std::string>& arguments, std::size_t& i, RegionRequest& request) {
    return parseOptionWith(
        arguments, i, request.quiet, [&](const std::string& option, const std::string& value) {
            if (option == "-f") return parseInteger(value, request.page);
            if (option == "-r") return parseResolution(value, request.dotsPerInch, kMaximumRegionDotsPerInch);
            if (option == "-c") return request.clipGiven = parseClip(value, request.clip);
            return false;
        });
}

bool parseRegionArguments(const std::vector<std::string>& arguments, RegionRequest& request) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.size() > 1 && argument[0] == '-' && positional.empty()) {
            if (!parseRegionOption(arguments, i, request)) return false;
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() != 2 || positional[0].empty() || positional[1].empty()) return false;
    request.document = positional[0];
    request.output = positional[1];
    return request.page != kNotGiven && request.dotsPerInch > 0.0 && request.clipGiven;
}

// The pixels of the clip at the asked resolution; false (with a message) when it has none or is larger
// than a page image may be. Nothing is reduced: the caller places the image by its pixels.
bool regionBox(const RegionRequest& request, fz_irect& box) {
    const double scale = request.dotsPerInch / 72.0;
    const double x0 = std::round(request.clip[0] * scale), y0 = std::round(request.clip[1] * scale);
    const double x1 = std::round(request.clip[2] * scale), y1 = std::round(request.clip[3] * scale);
    const double width = x1 - x0, height = y1 - y0;
    if (width < 1.0 || height < 1.0 || width > kMaximumSide || height > kMaximumSide ||
        width * height > kMaximumPixels || std::fabs(x0) > 1.0e9 || std::fabs(y0) > 1.0e9) {
        reportError("the region has no pixels or too many at " + std::to_string(request.dotsPerInch) +
                    " dpi");
        return false;
    }
    box = fz_irect{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1)};
    return true;
}

bool wantsPam(const RegionRequest& request) {
    const std::string& name = request.output;
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".pam") == 0;
}

// The page drawn into a pixmap that covers box alone, white where the page leaves it empty.
fz_pixmap* renderRegionPixmap(PdfSession& session, const RegionRequest& request, fz_irect box,
                              std::string& errorText) {
    fz_context* ctx = session.ctx;
    fz_page* page = nullptr;
    fz_pixmap* pixmap = nullptr;
    fz_device* device = nullptr;
    fz_var(page);
    fz_var(pixmap);
    fz_var(device);
    fz_try(ctx) {
        page = fz_load_page(ctx, asDocument(session), request.page - 1);
        fz_rect bounds = fz_bound_page(ctx, page);
        if (fz_is_empty_rect(bounds)) fz_throw(ctx, FZ_ERROR_GENERIC, "the page has no area");
        const float scale = static_cast<float>(request.dotsPerInch / 72.0);
        fz_matrix ctm = fz_concat(fz_translate(-bounds.x0, -bounds.y0), fz_scale(scale, scale));
        pixmap = fz_new_pixmap_with_bbox(ctx, fz_device_rgb(ctx), box, nullptr, 0);
        fz_clear_pixmap_with_value(ctx, pixmap, 255);
        device = fz_new_draw_device(ctx, ctm, pixmap);
        fz_run_page(ctx, page, device, fz_identity, nullptr);
        fz_close_device(ctx, device);
    }
    fz_always(ctx) {
        fz_drop_device(ctx, device);
        fz_drop_page(ctx, page);
    }
    fz_catch(ctx) {
        errorText = fz_caught_message(ctx);
        fz_drop_pixmap(ctx, pixmap);
        pixmap = nullptr;
    }
    return pixmap;
}

// Red, green, blue and alpha bytes, rows top to bottom: the pixels as the viewer holds them, which it
// reads back in one copy, where a PNG of a screen costs it tens of milliseconds to decode.
bool saveRgbaPam(fz_context* ctx, fz_pixmap* pixmap, const std::string& path) {
    TemporaryOutput output;
    if (!openTemporaryOutput(path, output)) return false;
    const int width = fz_pixmap_width(ctx, pixmap), height = fz_pixmap_height(ctx, pixmap);
    const unsigned char* row = fz_pixmap_samples(ctx, pixmap);
    std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * 4, 255);
    const std::string header = pamHeader(width, height);
    bool written = std::fwrite(header.data(), 1, header.size(), output.file) == header.size();
    for (int y = 0; written && y < height; ++y, row += fz_pixmap_stride(ctx, pixmap)) {
        rgbaRow(row, width, rgba.data());
        written = std::fwrite(rgba.data(), 1, rgba.size(), output.file) == rgba.size();
    }
    if (!written) {
        discardTemporaryOutput(output);
        return false;
    }
    return commitTemporaryOutput(output);
}

// A region drawn into its file, or into memory when memory is given: false, or with memory the
// length written (0 on failure).
std::size_t renderRegion(PdfSession& session, const RegionRequest& request, unsigned char* memory = nullptr,
                         std::size_t memorySize = 0) {
    fz_irect box;
    if (!regionBox(request, box)) return 0;
    std::string errorText;
    fz_pixmap* pixmap = renderRegionPixmap(session, request, box, errorText);
    if (!pixmap) {
        reportError("cannot render page " + std::to_string(request.page) + " of '" + request.document +
                    "': " + errorText);
        return 0;
    }
    // A PNG as page images are: level 1 without row filters.
    std::size_t done = 0;
    if (memory != nullptr) {
        done = putRgbaPam(session.ctx, pixmap, memory, memorySize);
        if (done == 0) reportError("the region does not fit the shared memory");
    } else {
        done = wantsPam(request) ? saveRgbaPam(session.ctx, pixmap, request.output)
                                 : savePixmap(session.ctx, pixmap, request.output, request.dotsPerInch);
    }
    fz_drop_pixmap(session.ctx, pixmap);
    return done;
}

// "-f page -r dpi -c x0,y0,x1,y1 name": the output is name (no folder) in the served folder.
bool parseServedRequest(const std::string& line, const std::string& folder, RegionRequest& request) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    if (words.size() != 7) return false;
    const std::string& name = words.back();
    if (name.find('/') != std::string::npos || name == "." || name == "..") return false;
    request.shared = name == "-";
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i].empty() || words[i][0] != '-' || !parseRegionOption(words, i, request)) return false;
    }
    request.output = folder + (folder.back() == '/' ? "" : "/") + name;
    return request.page != kNotGiven && request.clipGiven;
}

// Answers each request line on standard output: "done" (with the length of what it put into the
// shared memory, for a request named "-") or "failed". The watchdog bounds each render, never the
// wait for the next request; the end of standard input ends the run.
int serveRegions(PdfSession& session, const std::string& document, const std::string& folder, bool quiet) {
    const SharedMemory shared = mapSharedMemory();
    char* line = nullptr;
    std::size_t capacity = 0;
    ssize_t length = 0;
    while ((length = getline(&line, &capacity, stdin)) > 0) {
        RegionRequest request;
        request.quiet = quiet;
        request.document = document;
        const std::string text(line,
                               static_cast<std::size_t>(line[length - 1] == '\n' ? length - 1 : length));
        bool ok = parseServedRequest(text, folder, request);
        if (!ok) reportError("cannot read the request '" + text + "'");
        if (ok && (request.page < 1 || request.page > session.pageCount)) {
            reportError("page " + std::to_string(request.page) + " is not in the document, which has " +
                        pagesText(session.pageCount));
            ok = false;
        }
        if (ok && request.shared && shared.bytes == nullptr) {
            reportError("no shared memory to draw into");
            ok = false;
        }
        armWatchdog(kSecondsPerPage);
        const std::size_t done =
            ok ? renderRegion(session, request, request.shared ? shared.bytes : nullptr, shared.size) : 0;
        alarm(0);
        if (done != 0 && request.shared) {
            std::fprintf(stdout, "done %zu\n", done);
        } else {
            std::fputs(done != 0 ? "done\n" : "failed\n", stdout);
        }
        if (std::fflush(stdout) != 0) break;  // the viewer has gone
    }
    std::free(line);
    return kExitOk;
}

}  // namespace

int runRegion(const std::vector<std::string>& arguments) {
    const bool quiet = !arguments.empty() && arguments.front() == "-q";
    const std::size_t served = quiet ? 1 : 0;
    if (arguments.size() == served + 3 && arguments[served] == "-serve") {
        PdfSession session;
        if (int status = openPdf(arguments[served + 1], quiet, session); status != kExitOk) return status;
        const int status = serveRegions(session, arguments[served + 1], arguments[served + 2], quiet);
        closePdf(session);
        return status;
    }
    RegionRequest request;
    if (!parseRegionArguments(arguments, request)) {
        std::fprintf(stderr,
                     "usage: %s [-q] -f page -r dpi -c x0,y0,x1,y1 <document.pdf> <output.png|.pam>\n"
                     "       %s [-q] -serve <document.pdf> <output folder>\n",
                     programName().c_str(), programName().c_str());
        return kExitUsage;
    }
    armWatchdog(kSecondsPerPage);
    PdfSession session;
    if (int status = openPdf(request.document, request.quiet, session); status != kExitOk) return status;
    bool ok = request.page >= 1 && request.page <= session.pageCount;
    if (!ok)
        reportError("page " + std::to_string(request.page) + " is not in '" + request.document +
                    "', which has " + pagesText(session.pageCount));
    if (ok) ok = renderRegion(session, request) != 0;
    closePdf(session);
    return ok ? kExitOk : kExitFailure;
}
