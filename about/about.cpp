// The about screen: its text and fading edges drawn at start-up, the scroll loop and the tune.
#include "about/about.h"

#include <cmath>
#include <string>
#include <vector>

#include "context/assets.h"
#include "context/helpers.h"
#include "context/palette.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"

namespace {

constexpr int aboutFramesPerSecond = 12;  // the scroll's pace

// Lines are 19 to 80 characters, so that the widest fits font 1 on the narrowest display.
const std::vector<std::vector<const char*>> prose = {
    {"Pagewell is a viewer for PDF documents that does one thing well:",
     "it lets you read. Every page is turned into a picture once, kept",
     "in a cache folder beside the program, and shown at once whenever", "you come back to it."},
    {"There are no menus to learn. Press the right edge of the screen",
     "to turn the page, and the left edge to go back."},
    {"Hold the page and move sideways to zoom in; tap a point and it",
     "glides to the middle of the screen. Double-click to see the", "whole page again, fitted as before."},
    {"The thumbnail sheet shows every page of the document at once,",
     "so a long manual can be crossed in a single touch. The search",
     "looks for a word in the text of all pages, lists each hit with",
     "a few words around it, and marks the pages it was found on", "in the thumbnail sheet."},
    {"The text view shows the current page as plain text, ready to be",
     "copied, and the on-screen keyboard lets you type a search word",
     "on a touch screen with no real keyboard nearby."},
    {"Pagewell began with a monitor that had been turned on its side.",
     "Reading manuals and papers on it was a pleasure: a whole page",
     "fitted on the screen, at a size that needed no zooming at all.",
     "But the viewers of the day were built for wide screens. Their",
     "tool bars, side panels and scroll bars ate half of the height,",
     "and each page was drawn afresh, slowly, every time it came up.",
     "So the idea was simple: let the PDF tools do the hard work once,",
     "keep their page pictures, and spend every frame on showing them",
     "smoothly, the way a picture book would."},
    {"The first version was written in a few evenings and used daily",
     "for a long while before anyone else saw it. Most of what is in it",
     "today came from using it: the edge strips because a touch screen",
     "has no page keys, the glide because a tap should do something",
     "useful, the thumbnails because a 2,000-page manual is a long way",
     "to flip through. Conversion runs in the background as you read:",
     "the first page is there in a moment, the rest follow one by one,",
     "and the green bar at the bottom shows how far it has come. A second",
     "opening of the same document needs no conversion at all."},
    {"Pagewell is made for portrait screens. On a screen standing upright",
     "it covers the whole desktop; on a landscape screen it opens a window",
     "as high as the desktop and narrower than it is high, so that a page",
     "always fills the height it deserves."},
    {"A document is a column of pages, and a portrait screen has the shape",
     "of a page. Turning the monitor is the best thing you can do for",
     "reading on a computer; Pagewell simply tries not to waste what", "the turn has given you."},
    {"Press the Detach button to give the window a title bar and use",
     "other programs beside it; a press on the page brings it back."},
    {"Everything the viewer shows is drawn when it starts, and each frame",
     "only puts those pictures on the screen, up to 240 times a second.",
     "That is why it feels light even on an old machine."},
    {"Pagewell keeps no history of what you read and sends nothing",
     "anywhere. The cache folder holds the page pictures, the text and",
     "the information of each document you opened; delete it whenever",
     "you like, and the next opening will simply convert the document", "again and carry on as before."},
    {"Thank you for reading all the way down here. We hope Pagewell",
     "makes your documents a little easier to live with.",
     "Now press the Search button and find something worth reading,",
     "or turn the page and carry on where you left off."},
};

const char* const musicCredit =
    "\"Portrait Drift\" - a 4-channel ProTracker module by the Pagewell developers";
const char* const closingLine = "Click left mouse button / touch screen to exit this about...or wait.";

struct AboutLine {
    int y;
    int font;
    std::string text;
};

// The text sprite's lines, top to bottom; m is the medium font size, the line unit.
std::vector<AboutLine> aboutLines(const Layout& layout, bool withMusic) {
    const int m = layout.mediumFontSize;
    std::vector<AboutLine> lines = {{0, font::title, "About the amazing"},
                                    {3 * m, font::title, layout.programTitle + " " + layout.versionText},
                                    {8 * m, font::title, layout.makerLine}};
    if (withMusic) {
        lines.push_back({11 * m, font::base, "Music:"});
        lines.push_back({13 * m, font::base, musicCredit});
    }
    int k = 0;
    for (int p = 0; p < static_cast<int>(prose.size()); ++p)
        for (const char* text : prose[static_cast<std::size_t>(p)])
            lines.push_back({m * (17 + 2 * k++ + p), font::medium, text});
    lines.push_back({146 * m, font::medium, closingLine});
    return lines;
}

void drawAboutText(const Layout& layout, bool withMusic) {
    const int width = layout.screenWidth;
    if (!media::createSprite(sprite::aboutText, width, nearest(1.5 * layout.screenHeight))) return;
    if (!media::beginDrawing(sprite::aboutText)) return;
    for (const auto& line : aboutLines(layout, withMusic)) {
        media::setFont(line.font);
        media::drawText(width / 2 - media::textWidth(line.text) / 2, line.y, line.text, palette::white,
                        palette::black);
    }
    media::endDrawing();
}

// A vertical gradient over the whole sprite, from the back colour at its top to the front at its bottom.
void drawFade(int number, const Layout& layout, media::Colour top, media::Colour bottom) {
    const int width = layout.screenWidth, height = layout.screenHeight / 2;
    if (!media::createSprite(number, width, height) || !media::beginDrawing(number)) return;
    media::setBackColour(top);
    media::setFrontColour(bottom);
    media::setDrawingMode(media::mode::gradient);
    media::linearGradient(0, 0, 0, height);
    media::fillBox(0, 0, width, height);
    media::endDrawing();
}

// One frame of the scroll; returns the frame's window event.
media::WindowEvent aboutFrame(Viewer& v) {
    const media::WindowEvent event = media::pollWindowEvent();
    media::readMouse();
    media::readKeyboard();
    const int screenHeight = v.layout.screenHeight;
    media::displaySprite(sprite::aboutText, 0, nearest(screenHeight + v.about.aboutScroll - 200));
    media::displayTransparentSprite(sprite::aboutFadeLight, 0, 0, 200);
    media::displayTransparentSprite(sprite::aboutFadeDark, 0, screenHeight / 2, 200);
    v.about.aboutScroll -= v.about.aboutSpeed;
    media::flipDisplay();
    media::clearDisplay(palette::black);
    return event;
}

}  // namespace

void startAboutSound(Viewer& v) {
    // Without a sound system, or with a tune that will not load, there is nothing to play: the about
    // text then names no music either.
    v.about.soundUnavailable =
        !media::startSound() || !media::prepareTune(aboutTune, embeddedTuneData(), embeddedTuneSize());
}

void drawAboutSprites(Viewer& v) {
    drawAboutText(v.layout, !v.about.soundUnavailable);
    drawFade(sprite::aboutFadeLight, v.layout, palette::black, palette::white);
    drawFade(sprite::aboutFadeDark, v.layout, palette::white, palette::black);
}

void aboutScreen(Viewer& v) {
    media::setBlending(media::Blending::multiply);
    v.about.aboutSpeed = 1.0f;
    v.about.aboutScroll = 0.0f;
    media::setTunePosition(aboutTune, 0);
    if (!v.about.soundUnavailable) media::playTune(aboutTune);
    media::setFrameRate(aboutFramesPerSecond);
    const float end = -1.45f * static_cast<float>(media::spriteHeight(sprite::aboutText));
    media::WindowEvent event = media::WindowEvent::none;
    do {
        event = aboutFrame(v);
    } while (event != media::WindowEvent::leftUp && v.about.aboutScroll >= end);
    if (!v.about.soundUnavailable) media::stopTune(aboutTune);
    media::setFrameRate(framesPerSecond);
    media::flipDisplay();
    media::setBlending(media::Blending::normal);
    // An Escape pressed while it ran must not end the program afterwards.
    media::escapePressed();
}
