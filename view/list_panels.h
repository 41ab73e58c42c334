// What the list panels share (the contents, the recent documents): their place between the strips
// below the tool bar, rows a finger can hit, a title band with buttons, labels cut to their room.
#pragma once

#include <string>

#include "context/viewer.h"
#include "media/pictures/pictures.h"

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

// A row of a list: three large font sizes, 54 pixels on a 1080 x 1920 screen.
int listRowHeight(const Layout& layout);
// Room around a panel's texts.
int listPadding(const Layout& layout);
// The panel on the screen: the text view's place, between the strips and the tool bar and the counter.
Box listPanelBox(const Viewer& v);
// The title band: a row with padding above and below.
int titleBandHeight(const Layout& layout);
// A button of the title band, ending at right (inside the panel's sprite), as wide as its label needs.
Box titleButton(const Layout& layout, const std::string& label, int right);

namespace listcolour {
constexpr media::Colour panel = media::rgb(30, 30, 30);
constexpr media::Colour band = media::rgb(60, 60, 60);
constexpr media::Colour current = media::rgb(40, 90, 40);  // the row of the page shown
constexpr media::Colour rule = media::rgb(55, 55, 55);
constexpr media::Colour dim = media::rgb(170, 170, 170);
}  // namespace listcolour

// Between beginDrawing and endDrawing. A button: green with its label in white, or grey and dim when
// it can do nothing now.
void drawListButton(const Box& box, const std::string& label, bool enabled);
// The title band across the sprite's width with its title.
void drawTitleBand(const Layout& layout, int width, const std::string& title);
// The text with the current font, cut to width with an ellipsis when it is wider.
std::string fittedText(const std::string& text, int width);
// A filled triangle pointing right (folded) or down (unfolded), centred in the box.
void drawFoldMark(const Box& box, bool unfolded, media::Colour colour);
