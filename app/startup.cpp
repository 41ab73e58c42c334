// Start-up: identity, folders, the portrait display, fonts and every fixed sprite, in their fixed order.
#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "app/opening.h"
#include "app/panels.h"
#include "app/startup_rules.h"
#include "context/helpers.h"
#include "context/palette.h"
#include "document/document.h"
#include "document/tools.h"
#include "keyboard/keyboard.h"
#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "view/page_view.h"

namespace {

constexpr int glideMilliseconds = 450;  // a tap's glide of the page to the centre

const char* const fontFace = "Lucida Console";  // every numbered font
const media::Colour nearBlack = media::rgb(1, 0, 0);

bool failSpriteEngine() {
    media::messageBox("Error!", "Could not start Sprite Engine!");
    return false;
}

void setInitialTypingState(Viewer& v) {
    v.conversion.thumbnailThread = PageFileWorker::none;
    v.keyboard.lowerCaseActive = true;
    v.keyboard.shiftActive = false;
    v.keyboard.altGrActive = false;
    v.keyboard.activeKeyboardSprite = sprite::keyboardLower;
}

void setIdentityTexts(Layout& layout) {
    layout.programTitle = identity::title;
    layout.versionText = identity::version;
    layout.makerLine = identity::maker;
}

// The program's own files (its tool programs, Pagewell.ini) lie beside its executable; a program in a
// temporary folder keeps its caches in the current folder instead, wherever it was built or unpacked.
// A test names a program folder that holds both.
void setProgramFolder(Layout& layout, const StartOptions& options) {
    if (!options.programFolder.empty()) {
        layout.programFolder = options.programFolder;
        if (layout.programFolder.back() != '/') layout.programFolder += '/';
        return;
    }
    layout.programFolder = media::executableFolder();
}

// An installed copy cannot write beside itself; its caches go to the user's cache folder instead.
void createCacheRoot(Layout& layout, bool temporaryFolderRule) {
    const std::string parent =
        temporaryFolderRule
            ? cacheParentFolder(layout.programFolder, layout.tempFolder, media::currentFolder())
            : layout.programFolder;
    layout.cacheRoot = parent + "cache/";
    if (media::folderWritable(parent)) {
        media::createFolder(layout.cacheRoot, true);
        return;
    }
    std::string userRoot = userCacheRoot(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"));
    if (userRoot.empty()) userRoot = layout.tempFolder + "pagewell-cache/";
    layout.cacheRoot = userRoot;
    media::createFolder(layout.cacheRoot, true);
}

// The video system must run before the desktop can be measured.
bool readDesktopSize(Layout& layout, const StartOptions& options) {
    if (options.desktopWidth > 0 && options.desktopHeight > 0)
        media::overrideDesktopSize(options.desktopWidth, options.desktopHeight);
    if (!media::startDisplay()) return false;
    layout.deskWidth = media::desktopWidth();
    layout.deskHeight = media::desktopHeight();
    return layout.deskWidth > 0 && layout.deskHeight > 0;
}

void chooseDisplaySize(Layout& layout) {
    DisplaySize size = portraitDisplaySize(layout.deskWidth, layout.deskHeight);
    layout.screenWidth = size.width;
    layout.screenHeight = size.height;
}

bool openHiddenWindow(const Layout& layout) {
    std::string title = windowTitleFrom(layout.programTitle, layout.versionText, layout.makerLine);
    media::WindowFlags flags;
    flags.borderless = true;
    flags.hidden = true;
    if (!media::openWindow(layout.screenWidth, layout.screenHeight, title, flags)) return false;
    media::setWindowTopMost();
    return true;
}

// A cached document named on the command line: its first page is decoded beside the start-up.
void decodeFirstPageAhead(const Viewer& v, const std::string& document, int requestedPage) {
    if (document.empty()) return;
    std::string firstPage = cachedFirstPageFile(v.layout, document, requestedPage);
    if (media::filePresent(firstPage)) media::prefetchImages({firstPage});
}

void setPageDefaults(Viewer& v) {
    v.view.currentPage = 1;
    v.document.pageCountShown = 1;
    v.document.fallbackDpi = 600.0f;
    v.document.pageHeightText = "0";
    v.document.pageWidthText = "0";
    v.view.panDuration = glideMilliseconds;
}

bool openSpriteDisplay(const Layout& layout) {
    if (!media::openDisplay(layout.screenWidth, layout.screenHeight)) return false;
    media::setFrameRate(framesPerSecond);
    return true;
}

void loadFonts(Layout& layout) {
    FontSizes sizes = fontSizesFor(layout.screenWidth);
    layout.baseFontSize = sizes.base;
    layout.mediumFontSize = sizes.medium;
    layout.largeFontSize = sizes.large;
    layout.titleFontSize = sizes.title;
    const int pointSizes[4] = {sizes.base, sizes.medium, sizes.large, sizes.title};
    for (int number = font::base; number <= font::title; ++number) {
        bool bold = number >= font::large;
        if (!media::loadFont(number, fontFace, pointSizes[number], bold))
            std::fprintf(stderr,
                         "Pagewell: font %d could not be loaded; texts fall back to the default font\n",
                         number);
    }
}

void drawPointer(const Layout& layout) {
    int side = pointerSide(layout.baseFontSize);
    media::createSprite(sprite::pointer, side, side);
    media::beginDrawing(sprite::pointer);
    media::line(side / 2, 0, side / 2, side - 1, palette::white);
    media::line(0, side / 2, side - 1, side / 2, palette::white);
    media::endDrawing();
}

// A grey edge strip with a filled near-black triangle pointing to the given side.
void drawStrip(int number, int width, int height, bool pointsLeft) {
    media::createSprite(number, width, height);
    media::beginDrawing(number);
    media::fillBox(0, 0, width, height, media::rgb(198, 198, 198));
    int middle = height / 2;
    if (pointsLeft) {
        media::line(0, middle, width, middle - width, nearBlack);
        media::line(0, middle, width, middle + width, nearBlack);
    } else {
        media::line(0, middle - width, width, middle, nearBlack);
        media::line(0, middle + width, width, middle, nearBlack);
    }
    media::floodFill(8, middle, nearBlack, nearBlack);
    media::endDrawing();
}

void drawStripsAndZones(const Layout& layout) {
    int width = nearest(1.2 * media::spriteWidth(sprite::pointer));
    drawStrip(sprite::backStrip, width, layout.screenHeight, true);
    media::createSprite(sprite::backZone, width, layout.screenHeight, media::alphaCapable);
    drawStrip(sprite::forwardStrip, width, layout.screenHeight, false);
    media::createSprite(sprite::forwardZone, width, layout.screenHeight, media::alphaCapable);
}

void drawProgressBar(const Layout& layout) {
    int height = media::spriteHeight(sprite::pointer) / 2;
    media::createSprite(sprite::progressBar, layout.screenWidth, height);
    media::beginDrawing(sprite::progressBar);
    media::fillBox(0, 0, layout.screenWidth, height, media::rgb(0, 255, 0));
    media::endDrawing();
}

void drawTouchRing() {
    int width = 4 * media::spriteWidth(sprite::pointer);
    int height = 4 * media::spriteHeight(sprite::pointer);
    media::createSprite(sprite::touchRing, width, height);
    media::beginDrawing(sprite::touchRing);
    int x = width / 2, y = height / 2;
    media::circle(x, y, width / 2 - 1, palette::white);
    media::circle(x, y, width / 2 - 2, palette::black);
    media::circle(x, y, width / 2 - 3, media::rgb(1, 1, 1));
    media::circle(x, y, width / 2 - 4, palette::black);
    media::endDrawing();
}

void drawToolbarZone(const Layout& layout) {
    int height = 6 * media::spriteHeight(sprite::pointer);
    media::createSprite(sprite::toolbarZone, layout.screenWidth, height, media::alphaCapable);
    media::beginDrawing(sprite::toolbarZone);
    media::fillBox(0, 0, layout.screenWidth, height, palette::black);
    media::endDrawing();
}

// Characters per text-view line: the first run of "A" (1 to 501) that no longer leaves 3 medium units
// of margin, or 501. A longer run is never narrower, so the run is found by halving.
int measureLineChars(int viewWidth, int margin) {
    auto tooWide = [&](int count) { return media::textWidth(std::string(count, 'A')) + margin > viewWidth; };
    int low = 1, high = 501;  // the answer lies in [low, high]
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (tooWide(middle)) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return low;
}

// The last line index whose line still fits the view's height.
int measureLastLine(const Layout& layout, int viewHeight) {
    int m = layout.mediumFontSize;
    for (int i = 0;; ++i) {
        float y = 2.0f * m + 1.2f * m * i + layout.baseFontSize;
        if (y + m > viewHeight) return i;
    }
}

// The text view's lines, measured with the base font; its sprite comes after the first frame.
void measureTextView(Layout& layout) {
    const TextViewSize size = textViewSize(layout);
    media::createSprite(sprite::textMeasure, 1, 1);
    media::beginDrawing(sprite::textMeasure);
    media::setFont(font::base);
    layout.textLineChars = measureLineChars(size.width, 3 * layout.mediumFontSize);
    layout.textViewLastLine = measureLastLine(layout, size.height);
    media::endDrawing();
    media::freeSprite(sprite::textMeasure);
}

void showWindowCentred(Viewer& v) {
    media::placeMouse(v.layout.screenWidth / 2, v.layout.screenHeight / 2);
    media::showWindow();
    v.frame.pointerIntensity = 50;
    v.frame.pageCounterY = v.layout.screenHeight - media::spriteHeight(sprite::pageCounter);
}

}  // namespace

bool startUp(Viewer& v, const StartOptions& options) {
    media::prepareStart();                                     // before the threads below start
    media::lookUpFontsAhead({fontFace});                       // fontconfig starts beside the display
    setInitialTypingState(v);                                  // 1. case flags, no page-file worker
    setIdentityTexts(v.layout);                                // 2. title, version, maker
    v.layout.tempFolder = media::temporaryFolder();            // 3.
    setProgramFolder(v.layout, options);                       // 4. the executable's folder
    createCacheRoot(v.layout, options.programFolder.empty());  // 5. cache/, the temporary-folder rule
    setUpToolPaths(v);                                         // 9. tool paths, needed from here on
    // A named document: its information program runs, or its cached page 1 decodes, beside the start.
    if (!options.documentToOpen.empty()) startInformationForNamedDocument(v, options.documentToOpen);
    decodeFirstPageAhead(v, options.documentToOpen, options.pageToOpen);
    if (!readDesktopSize(v.layout, options)) return failSpriteEngine();  // 6.
    // 7. The sound and the about tune come once the first frame is on screen (prepareLaterSprites).
    // 8. The cell, page-text and hit lists start empty in a fresh viewer.
    chooseDisplaySize(v.layout);                                  // 10. the portrait rule
    if (!openHiddenWindow(v.layout)) return failSpriteEngine();   // 11. borderless, hidden, top-most
    setPageDefaults(v);                                           // 12.
    if (!openSpriteDisplay(v.layout)) return failSpriteEngine();  // 13. 240 frames per second
    // 14. Mouse input comes with the display.
    media::setSpriteFiltering(true);  // 15. bilinear zoom
    loadFonts(v.layout);              // 16. fonts 0..3
    // 17. and 25. The logo and the welcome panel: at once when no document is named, else once a
    // frame may show them (a named document shows its page instead).
    if (options.documentToOpen.empty()) drawWelcome(v);
    drawPointer(v.layout);         // 18. pointer (0)
    drawStripsAndZones(v.layout);  // 19-22. strips 1, 2, zones 100, 200
    // 23. The eight tips come once the first frame is on screen.
    drawProgressBar(v.layout);  // 24. progress bar (4)
    v.frame.welcomeShown = true;
    // 26. The about text and fades come once the first frame is on screen.
    drawTouchRing();            // 27. touch ring (7)
    drawMessagePanels(v);       // 28. panels 8, 12, 9
    drawToolbar(v);             // 29. faces, overlays, positions, band
    drawToolbarZone(v.layout);  // 30. tool-bar zone (300)
    drawInfoPlaceholder(v);     // 31. info (80); search 81..84 after the first frame
    readKeyboardLayout(v);      // 32. Pagewell.ini
    readCacheLimit(v);          // 32. and its cache limit
    // 33. The keyboard faces and highlights come once the first frame is on screen.
    measureTextView(v.layout);  // 34. the text view's measure; its sprite (86) after the first frame
    drawStatusLine(v);          // 35. status line
    showWindowCentred(v);       // 36. pointer centred, window shown
    // 37. keyboardX, keyboardY: with the keyboard faces.
    return true;  // 38. the caller enters the loop
}
