// The frame-test harness: a temporary program folder, start-up with a test clock, fed input, frames.
#include "tests/support/harness.h"

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "app/app.h"
#include "app/later_sprites.h"
#include "app/opening.h"
#include "document/conversion.h"
#include "document/document.h"
#include "document/tools.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "view/page_view.h"
#include "view/sharp_layer.h"

namespace {

std::mutex foldersMutex;
std::vector<std::string>& foldersToRemove() {
    static std::vector<std::string> folders;
    return folders;
}

void removeTemporaryFolders() {
    std::lock_guard<std::mutex> lock(foldersMutex);
    for (const std::string& folder : foldersToRemove()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);  // a symbolic link goes, not what it points to
    }
    foldersToRemove().clear();
}

void writeConfiguration(const std::string& folder, const HarnessOptions& options) {
    std::string target = folder + "Pagewell.ini";
    if (!options.configurationText.empty()) {
        media::writeWholeFile(target, options.configurationText);
    } else if (options.withConfiguration) {
        std::string text;
        if (media::readWholeFile(std::string(PAGEWELL_SOURCE_DIR) + "/Pagewell.ini", text))
            media::writeWholeFile(target, text);
    }
}

// The tools are linked, not copied: they are large, and one build of them serves every test.
void linkTools(const std::string& folder) {
    std::string tools = PAGEWELL_TOOL_FOLDER;
    if (!tools.empty() && tools.back() == '/') tools.pop_back();
    const std::filesystem::path link = (std::filesystem::path(folder) / toolSubfolder).parent_path();
    std::error_code error;
    std::filesystem::create_directories(link.parent_path(), error);
    std::filesystem::create_directory_symlink(tools, link, error);
    if (error) std::fprintf(stderr, "harness: cannot link the tool folder: %s\n", error.message().c_str());
}

}  // namespace

std::string makeTemporaryFolder(const std::string& prefix) {
    std::string pattern = media::temporaryFolder() + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return "";
    const std::string folder = pattern + "/";
    std::lock_guard<std::mutex> lock(foldersMutex);
    if (foldersToRemove().empty()) std::atexit(removeTemporaryFolders);
    foldersToRemove().push_back(folder);
    return folder;
}

Harness::Harness(HarnessOptions options) : options_(std::move(options)) {
    programFolder_ =
        options_.programFolder.empty() ? makeTemporaryFolder("pagewell-test") : options_.programFolder;
    if (!media::filePresent(programFolder_ + "Pagewell.ini")) writeConfiguration(programFolder_, options_);
    if (options_.withTools && !media::folderExists(programFolder_ + toolSubfolder)) linkTools(programFolder_);
    media::useTestClock(!options_.realClock);
    media::resetInput();
    viewer_ = std::make_unique<Viewer>();
    started_ = startUp(*viewer_, {.programFolder = programFolder_,
                                  .documentToOpen = options_.documentAtStart,
                                  .desktopWidth = options_.desktopWidth,
                                  .desktopHeight = options_.desktopHeight});
    if (started_ && options_.laterSpritesAtStart) prepareLaterSprites(*viewer_);
    if (started_ && !options_.documentAtStart.empty()) openNamedDocument(*viewer_, options_.documentAtStart);
    // Start-up warps the pointer to the centre; the system's motion event for it must not land
    // later on top of the test's own pointer moves.
    media::pumpEvents();
    media::captureFrames(true);
    pointer_ = options_.pointer;
    fingerX_ = media::mouseX();
    fingerY_ = media::mouseY();
}

// A loop that ended the program's own way runs the full exit sequence; otherwise the tools this
// viewer started (followed by their ids, never another test's) are stopped as the exit would.
Harness::~Harness() {
    if (started_ && ended_) {
        exitSequence(*viewer_);
    } else {
        stopAllTools(*viewer_);
        endSharpLayer(*viewer_);  // this viewer's region renderer ends with it
        stopPageFileWorker(*viewer_);
        media::stopDisplay();
    }
    viewer_.reset();
    media::overrideDesktopSize(0, 0);
    media::resetInput();
}

void Harness::frames(int count, int msPerFrame) {
    for (int i = 0; i < count && !ended_; ++i) {
        if (!options_.realClock) media::advanceTestClock(msPerFrame);
        if (!runFrame(*viewer_)) ended_ = true;
    }
}

void Harness::advance(int ms) {
    if (!options_.realClock) media::advanceTestClock(ms);
}

bool Harness::runUntil(const std::function<bool()>& done, int maxFrames, int msPerFrame, double maxSeconds) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < maxFrames && !ended_; ++i) {
        if (done()) return true;
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        if (options_.realClock && spent.count() > maxSeconds) return false;
        frames(1, msPerFrame);
    }
    return done();
}

void Harness::moveTo(int x, int y) {
    if (pointer_ == PointerStyle::mouse || fingerDown_) media::feedMouseMove(x, y);
    fingerX_ = x;
    fingerY_ = y;
}

void Harness::press(int clicks) {
    if (pointer_ == PointerStyle::mouse) return media::feedMouseButton(true, clicks);
    const bool jumped = fingerX_ != media::mouseX() || fingerY_ != media::mouseY();
    media::feedMouseButtonAt(fingerX_, fingerY_, true, clicks);
    fingerDown_ = true;
    if (jumped) frames(1, 0);
}

void Harness::release() {
    if (pointer_ == PointerStyle::mouse) return media::feedMouseButton(false, 1);
    media::feedMouseButtonAt(fingerX_, fingerY_, false, 1);
    fingerDown_ = false;
}

void Harness::clickAt(int x, int y) {
    moveTo(x, y);
    frames(1);
    press();
    frames(1);
    release();
    frames(1);
}
void Harness::showCachedPages(const std::string& cacheFolder, int pageCount) {
    Viewer& viewer = v();
    viewer.document.documentCacheFolder = cacheFolder;
    viewer.document.pageCount = viewer.document.pageCountShown = pageCount;
    viewer.view.firstPageShown = true;
    viewer.frame.welcomeShown = false;
    viewer.view.currentPage = 1;
    showPage(viewer);
}

void Harness::tapKey(int scanCode) {
    keyDown(scanCode);
    keyUp(scanCode);
    frames(1);
}

void Harness::pressKeys(std::initializer_list<int> keys) {
    for (int key : keys) keyDown(key);
    frames(1);
    for (int key : keys) keyUp(key);
    frames(1);
}

void Harness::open(const std::string& pdfPath) {
    openDocumentPath(*viewer_, pdfPath);
}

std::vector<media::Colour> spritePixels(int sprite, int x, int y, int width, int height) {
    std::vector<media::Colour> pixels;
    if (!media::beginDrawing(sprite)) return pixels;
    for (int row = y; row < y + height; ++row)
        for (int column = x; column < x + width; ++column) pixels.push_back(media::pixelColour(column, row));
    media::endDrawing();
    return pixels;
}

bool conversionFinished(Viewer& v, int pages) {
    const ConversionState& c = v.conversion;
    if (c.conversionRunning || c.workerRunning || c.thumbnailGenerationActive || c.thumbnailsWanted ||
        c.sheetBuildRequested)
        return false;
    for (int page = 1; page <= pages; ++page)
        if (!media::filePresent(pageImageBase(v, page) + ".jpg")) return false;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(v.document.documentCacheFolder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("page-") && name.ends_with(".png")) return false;
    }
    return true;
}
