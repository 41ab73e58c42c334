// The way back: every jump that is no page turn remembers the page it left, a short stack of them.
#pragma once

#include <cstddef>

#include "context/viewer.h"

constexpr std::size_t backStackDepth = 10;

// A jump left fromPage (a contents row, a sheet pick, a search hit, the first or last page, a typed
// page): it goes on the stack, the oldest page falling off beyond backStackDepth. Called after the
// jump or before it: a page equal to the latest one is kept once, and Back passes over the page shown.
void rememberJump(Viewer& v, int fromPage);
// The one way the jumps, Back and the kept page show a page: at once when its image is there (true),
// else not (false, with the not-ready notice). Where a page can be made on demand, this is the call
// to have it made next and shown once made.
bool showJumpTarget(Viewer& v, int page);
// A page to go back to is kept.
bool canGoBack(const Viewer& v);
// Shows the page the latest jump left, as a flip would (never while the page-file worker runs); a page
// not ready yet stays on the stack, with the not-ready notice. True when a page was loaded.
bool goBack(Viewer& v);
// Another document: nothing to go back to.
void forgetJumps(Viewer& v);
