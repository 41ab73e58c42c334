// The Go-to-page panel: a page number typed on either keyboard, drawn like the password panel.
#include "app/go_to_panel.h"

#include <cctype>
#include <cstdlib>

#include "app/entry_panel.h"
#include "app/frame_steps.h"
#include "context/helpers.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/text/text.h"
#include "view/jumps.h"
#include "view/page_view.h"

namespace {

const EntryPanelSprites panelSprites{sprite::goToPanel, sprite::goToGo, sprite::goToCancel};
constexpr std::size_t longestNumber = 7;  // more digits than any page count held

std::string pageRange(const Viewer& v) {
    return "Pages 1 to " + std::to_string(v.document.pageCountShown) + ".";
}

void drawPanel(Viewer& v) {
    GoToPanelState& g = v.goToPanel;
    EntryPanelText text;
    text.title = "Go to page";
    text.field = g.typedNumber;
    text.warning = g.missingPage.has_value();
    text.message = pageRange(v);
    if (g.missingPage)
        text.message = "There is no page " + std::to_string(*g.missingPage) + ". " + text.message;
    drawEntryPanel(v, panelSprites, text);
    g.drawnNumber = g.typedNumber;
    g.drawnMissingPage = g.missingPage;
}

// The on-screen keyboard types any key's text into the field: all but the digits go again.
void keepDigits(std::string& number) {
    std::erase_if(number, [](char c) { return !std::isdigit(static_cast<unsigned char>(c)); });
    if (number.size() > longestNumber) number.resize(longestNumber);
}

// The physical keyboard, as the search word is typed, and the on-screen keyboard's Return. True when
// Return asks for the page (never for an empty field).
bool typeNumber(Viewer& v) {
    std::string& number = v.goToPanel.typedNumber;
    const bool onScreenReturn = v.search.onScreenEnterPressed;
    v.search.onScreenEnterPressed = false;
    if (!number.empty() && media::keyReleased(media::scan::backspace)) {
        number.pop_back();
        return false;
    }
    if (media::keyReleased(media::scan::enter) || media::keyReleased(media::scan::keypadEnter) ||
        onScreenReturn)
        return !number.empty();
    number += media::typedCharacter();
    keepDigits(number);
    return false;
}

// A page of the document closes the panel and is shown (or waited on); another number is said so.
void goToTypedPage(Viewer& v) {
    GoToPanelState& g = v.goToPanel;
    const int page = std::atoi(g.typedNumber.c_str());
    if (page < 1 || page > v.document.pageCountShown) {
        g.missingPage = page;
        g.typedNumber.clear();
        return;
    }
    closeGoToPanel(v);
    if (page != v.view.currentPage) rememberJump(v, v.view.currentPage);
    if (goToPage(v, page)) refreshTextView(v);
}

}  // namespace

void openGoToPanel(Viewer& v) {
    const bool document = !v.document.documentCacheFolder.empty() && !v.document.documentUnreadable;
    if (!document || v.password.passwordPanelOpen) return;
    GoToPanelState& g = v.goToPanel;
    g = GoToPanelState{};
    g.goToPanelOpen = true;
    v.frame.searchPanelOpen = false;
    v.frame.searchInputActive = false;
    v.frame.textViewOpen = false;
    v.frame.keyboardKeyDown = false;
    createEntryPanel(v, panelSprites, "Go");
    drawPanel(v);
}

void closeGoToPanel(Viewer& v) {
    v.goToPanel = GoToPanelState{};
}

bool pointerOnPageCounter(const Viewer& v) {
    const int margin = v.layout.largeFontSize;
    const int width = media::spriteWidth(sprite::pageCounter);
    const int left = v.layout.screenWidth / 2 - width / 2 - margin;
    const int top = v.frame.pageCounterY - margin;
    const int x = media::mouseX(), y = media::mouseY();
    return x >= left && x < left + width + 2 * margin && y >= top &&
           y < top + media::spriteHeight(sprite::pageCounter) + 2 * margin;
}

void displayGoToPanel(Viewer& v) {
    GoToPanelState& g = v.goToPanel;
    g.pointerOverGoButton = g.pointerOverCancelButton = false;
    if (!g.goToPanelOpen) return;
    const EntryPanelHover hover = displayEntryPanel(v, panelSprites);
    g.pointerOverGoButton = hover.button;
    g.pointerOverCancelButton = hover.cancel;
}

void typeAndGoToPage(Viewer& v) {
    GoToPanelState& g = v.goToPanel;
    if (!g.goToPanelOpen) return;
    const bool released = v.frame.frameEvent == media::WindowEvent::leftUp;
    if (released && g.pointerOverCancelButton) {
        closeGoToPanel(v);
        return;
    }
    keepDigits(g.typedNumber);  // what the on-screen keyboard typed this frame
    const bool returnPressed = typeNumber(v);
    if (returnPressed || (released && g.pointerOverGoButton && !g.typedNumber.empty())) goToTypedPage(v);
    if (g.goToPanelOpen && (g.drawnNumber != g.typedNumber || g.drawnMissingPage != g.missingPage))
        drawPanel(v);
}
