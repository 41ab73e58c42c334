// The order of the page converter's starts: a page asked for first, then its neighbour, then the
// pages in order from where the order stood; every page once.
#pragma once

#include <vector>

class PageQueue {
public:
    // A document of pageCount pages (none below 1), no page started.
    void reset(int pageCount);
    // The user waits on page: it is started next unless it has been started already (then nothing
    // changes), and its neighbour after it: the next page, or for the last page the one before.
    void ask(int page);
    // The page the next start is for; 0 when every page has been started.
    int next() const;
    void markStarted(int page);
    bool started(int page) const;
    // A page asked for has not been started yet.
    bool askedPageWaiting() const { return startable(wanted_); }
    int startCount() const { return starts_; }
    int pageCount() const { return static_cast<int>(started_.size()) - 1; }
    bool allStarted() const { return starts_ >= pageCount(); }

private:
    std::vector<bool> started_ = {false};  // by page number; index 0 unused
    int cursor_ = 1;                       // where the order in sequence stands
    int wanted_ = 0, neighbour_ = 0;       // the page asked for last and its neighbour; 0 none
    int starts_ = 0;

    bool startable(int page) const { return page >= 1 && page <= pageCount() && !started_[page]; }
};
