// The order of the page converter's starts: asked-for pages first, every page once.
#include "context/page_queue.h"

#include <algorithm>
#include <cstddef>

void PageQueue::reset(int pageCount) {
    started_.assign(static_cast<std::size_t>(std::max(pageCount, 0)) + 1, false);
    cursor_ = 1;
    wanted_ = neighbour_ = 0;
    starts_ = 0;
}

void PageQueue::ask(int page) {
    if (!startable(page)) return;
    wanted_ = page;
    neighbour_ = page < pageCount() ? page + 1 : page - 1;
}

int PageQueue::next() const {
    if (startable(wanted_)) return wanted_;
    if (startable(neighbour_)) return neighbour_;
    int page = cursor_;
    while (page <= pageCount() && started_[page]) ++page;
    return page <= pageCount() ? page : 0;
}

void PageQueue::markStarted(int page) {
    if (!startable(page)) return;
    started_[page] = true;
    ++starts_;
    if (page == wanted_) wanted_ = 0;
    if (page == neighbour_) neighbour_ = 0;
    while (cursor_ <= pageCount() && started_[cursor_]) ++cursor_;
}

bool PageQueue::started(int page) const {
    return page >= 1 && page <= pageCount() && started_[page];
}
