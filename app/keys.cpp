// The physical keyboard and the mouse wheel: page turns, first and last page, zoom about the screen's
// centre, Open, and the walk over the thumbnail sheet, each taking the path of the matching press.
#include <cstdlib>

#include "app/frame_steps.h"
#include "app/go_to_panel.h"
#include "media/desktop/desktop.h"
#include "media/input/input.h"
#include "view/jumps.h"
#include "view/page_view.h"
#include "view/sheet.h"

namespace {

// One step in is a factor of 1.25, as a drag of 25 pixels in one frame; one step out (0.8) undoes it.
constexpr float zoomInDelta = 2.5f;
constexpr float zoomOutDelta = -2.0f;

enum class Action {
    none,
    nextPage,
    previousPage,
    firstPage,
    lastPage,
    open,
    goToPanel,
    zoomIn,
    zoomOut,
    fit,
    cellLeft,
    cellRight,
    cellUp,
    cellDown,
    cellFirst,
    cellLast,
    pickCell,
};

struct KeyBinding {
    int scanCode;
    bool withControl;  // the key counts only when pressed with either Control held
    Action onPage;     // on the page view
    Action onSheet;    // in thumbnail mode
};

constexpr KeyBinding keyTable[] = {
    {media::scan::pageDown, false, Action::nextPage, Action::none},
    {media::scan::right, false, Action::nextPage, Action::cellRight},
    {media::scan::down, false, Action::nextPage, Action::cellDown},
    {media::scan::space, false, Action::nextPage, Action::none},
    {media::scan::pageUp, false, Action::previousPage, Action::none},
    {media::scan::left, false, Action::previousPage, Action::cellLeft},
    {media::scan::up, false, Action::previousPage, Action::cellUp},
    {media::scan::backspace, false, Action::previousPage, Action::none},
    {media::scan::home, false, Action::firstPage, Action::cellFirst},
    {media::scan::end, false, Action::lastPage, Action::cellLast},
    {media::scan::enter, false, Action::none, Action::pickCell},
    {media::scan::keypadEnter, false, Action::none, Action::pickCell},
    {media::scan::o, true, Action::open, Action::open},
    {media::scan::g, true, Action::goToPanel, Action::none},
    {media::scan::equals, true, Action::zoomIn, Action::none},  // "+" is this key with Shift
    {media::scan::keypadPlus, true, Action::zoomIn, Action::none},
    {media::scan::minus, true, Action::zoomOut, Action::none},
    {media::scan::keypadMinus, true, Action::zoomOut, Action::none},
    {media::scan::zero, true, Action::fit, Action::none},
    {media::scan::keypadZero, true, Action::fit, Action::none},
};

// A panel that takes typing keeps its keys: Space, Backspace and Return belong to the word, the
// password or the page number typed.
bool typingTaken(const Viewer& v) {
    return (v.frame.searchPanelOpen && v.frame.searchInputActive) || v.password.passwordPanelOpen ||
           v.goToPanel.goToPanelOpen;
}

// A modal dialog owns the input while it is up, as it owns the presses; a list panel takes the wheel.
bool inputTaken(const Viewer& v) {
    return typingTaken(v) || media::dialogRunning() || v.frame.contentsPanelOpen || v.frame.recentPanelOpen;
}

// A turn as the press on a lit strip makes it: only where that strip would light, never while the
// page-file worker runs. True when a page was loaded.
bool turnPage(Viewer& v, int step) {
    if (v.conversion.workerRunning.load()) return false;
    const int page = v.view.currentPage;
    if ((step < 0 && page <= 1) || (step > 0 && page >= v.document.pageCountShown)) return false;
    const bool loaded = step < 0 ? previousPage(v) : nextPage(v);
    if (loaded) refreshTextView(v);
    return loaded && !v.view.pageNotReady;
}

// Home and End: nothing happens on the page they name already.
void jumpToPage(Viewer& v, int page) {
    if (v.conversion.workerRunning.load() || page == v.view.currentPage) return;
    const int from = v.view.currentPage;
    const bool shown = showJumpTarget(v, page);
    if (shown || v.view.awaitedPage == page) rememberJump(v, from);
    if (shown) refreshTextView(v);
}

void zoomAboutCentre(Viewer& v, float delta) {
    zoomStepAbout(v, delta, v.layout.screenWidth / 2, v.layout.screenHeight / 2);
}

void perform(Viewer& v, Action action) {
    switch (action) {
        case Action::nextPage:
            turnPage(v, 1);
            break;
        case Action::previousPage:
            turnPage(v, -1);
            break;
        case Action::firstPage:
            jumpToPage(v, 1);
            break;
        case Action::lastPage:
            jumpToPage(v, v.document.pageCountShown);
            break;
        case Action::open:
            startOpenDialog(v);
            break;
        case Action::goToPanel:
            openGoToPanel(v);
            break;
        case Action::zoomIn:
            zoomAboutCentre(v, zoomInDelta);
            break;
        case Action::zoomOut:
            zoomAboutCentre(v, zoomOutDelta);
            break;
        case Action::fit:
            restoreFit(v);
            break;
        case Action::cellLeft:
            moveCellHighlight(v, CellMove::left);
            break;
        case Action::cellRight:
            moveCellHighlight(v, CellMove::right);
            break;
        case Action::cellUp:
            moveCellHighlight(v, CellMove::up);
            break;
        case Action::cellDown:
            moveCellHighlight(v, CellMove::down);
            break;
        case Action::cellFirst:
            moveCellHighlight(v, CellMove::first);
            break;
        case Action::cellLast:
            moveCellHighlight(v, CellMove::last);
            break;
        case Action::pickCell:
            pickHighlightedCell(v);
            break;
        case Action::none:
            break;
    }
}

void handleKeys(Viewer& v) {
    for (const KeyBinding& binding : keyTable) {
        const bool pressed = binding.withControl ? media::keyPressedWithControl(binding.scanCode)
                                                 : media::keyPressed(binding.scanCode);
        if (!pressed || media::keyPressedWithAlt(binding.scanCode)) continue;  // Alt+key is a key of its own
        perform(v, v.frame.thumbnailMode ? binding.onSheet : binding.onPage);
        if (media::dialogRunning()) return;  // Open started the chooser: it takes the rest
    }
}

// Each notch toward the user turns one page on, each notch away one back, stopping where a strip
// would stop.
void handleWheel(Viewer& v) {
    const int notches = media::mouseWheel();
    if (notches == 0 || !pageGestureAllowed(v.frame)) return;
    for (int turned = 0; turned < std::abs(notches); ++turned) {
        if (!turnPage(v, notches < 0 ? 1 : -1)) return;
    }
}

}  // namespace

void handleKeysAndWheel(Viewer& v) {
    if (!v.frame.thumbnailMode) forgetCellHighlight(v);
    if (inputTaken(v)) return;
    handleKeys(v);
    handleWheel(v);
}
