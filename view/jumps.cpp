// The back stack of the pages left by jumps.
#include "view/jumps.h"

#include "view/page_view.h"

namespace {

bool onPageToLeave(const Viewer& v, int page) {
    return page >= 1 && page <= v.document.pageCountShown && page != v.view.currentPage;
}

// Pages equal to the one shown are of no use: they go.
void dropShownPages(Viewer& v) {
    std::vector<int>& stack = v.place.backStack;
    while (!stack.empty() && !onPageToLeave(v, stack.back())) stack.pop_back();
}

}  // namespace

void rememberJump(Viewer& v, int fromPage) {
    std::vector<int>& stack = v.place.backStack;
    if (fromPage < 1 || (!stack.empty() && stack.back() == fromPage)) return;
    stack.push_back(fromPage);
    if (stack.size() > backStackDepth) stack.erase(stack.begin());
}

bool showJumpTarget(Viewer& v, int page) {
    return goToPage(v, page);
}

bool canGoBack(const Viewer& v) {
    for (int page : v.place.backStack) {
        if (onPageToLeave(v, page)) return true;
    }
    return false;
}

bool goBack(Viewer& v) {
    if (v.conversion.workerRunning.load()) return false;
    dropShownPages(v);
    if (v.place.backStack.empty()) return false;
    const int page = v.place.backStack.back();
    if (!showJumpTarget(v, page)) return false;  // not ready: kept for the next try
    v.place.backStack.pop_back();
    return true;
}

void forgetJumps(Viewer& v) {
    v.place.backStack.clear();
}
