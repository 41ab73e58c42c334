// The order of the page converter's starts: pages asked for jump the queue, every page starts once.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

#include "context/page_queue.h"

namespace {

struct OrderCase {
    const char* name;
    int pageCount;
    std::vector<std::pair<int, int>> steps;  // ask for a page (0: none), then make this many starts
    std::vector<int> expected;               // every start, in order
};

// The steps, then starts until the queue has none (one more than the pages would show an extra one).
std::vector<int> startsOf(OrderCase c) {
    PageQueue queue;
    queue.reset(c.pageCount);
    std::vector<int> started;
    c.steps.emplace_back(0, c.pageCount + 1);
    for (const auto& [ask, starts] : c.steps) {
        if (ask != 0) queue.ask(ask);
        for (int i = 0; i < starts && queue.next() != 0; ++i) {
            started.push_back(queue.next());
            queue.markStarted(started.back());
        }
    }
    return started;
}

struct ConversionOrder : ::testing::TestWithParam<OrderCase> {};

const OrderCase orderCases[] = {
    {"InOrderWithoutAsks", 5, {}, {1, 2, 3, 4, 5}},
    {"AskedPageThenTheNextThenOnFromWhereItWas", 10, {{0, 2}, {7, 0}}, {1, 2, 7, 8, 3, 4, 5, 6, 9, 10}},
    {"LastPageThenTheOneBeforeIt", 10, {{0, 1}, {10, 0}}, {1, 10, 9, 2, 3, 4, 5, 6, 7, 8}},
    {"AskedPageAlreadyStartedStartsNothing", 6, {{0, 3}, {2, 1}}, {1, 2, 3, 4, 5, 6}},
    {"NeighbourAlreadyStartedIsSkipped", 6, {{0, 1}, {5, 2}, {4, 0}}, {1, 5, 6, 4, 2, 3}},
    {"NewerAskWinsOverOneNotStarted", 12, {{0, 1}, {9, 0}, {4, 0}}, {1, 4, 5, 2, 3, 6, 7, 8, 9, 10, 11, 12}},
    {"AskBeforeTheFirstStart", 4, {{3, 0}}, {3, 4, 1, 2}},
    {"AsksOutsideTheDocumentAreIgnored", 3, {{0, 1}, {0, 0}, {-1, 0}, {4, 0}}, {1, 2, 3}},
    {"OnePageDocument", 1, {{1, 0}}, {1}},
    {"EveryStepAnAsk", 5, {{5, 1}, {3, 1}, {1, 1}, {2, 1}}, {5, 3, 1, 2, 4}},
};

INSTANTIATE_TEST_SUITE_P(Cases, ConversionOrder, ::testing::ValuesIn(orderCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// Whatever was asked, each page of the document is started exactly once.
TEST_P(ConversionOrder, AskedPagesJumpTheQueueAndEveryPageStartsOnce) {
    const OrderCase& c = GetParam();
    std::vector<int> started = startsOf(c), everyPage(static_cast<std::size_t>(c.pageCount));
    EXPECT_EQ(started, c.expected);
    std::ranges::sort(started);
    std::iota(everyPage.begin(), everyPage.end(), 1);
    EXPECT_EQ(started, everyPage);
}

TEST(ConversionOrderCounts, StartsAreCountedUntilEveryPageHasStarted) {
    PageQueue queue;
    EXPECT_TRUE(queue.allStarted()) << "a queue of no pages has nothing to start";
    EXPECT_EQ(queue.next(), 0);
    queue.reset(3);
    queue.ask(2);
    queue.markStarted(2);
    queue.markStarted(2);  // once only
    EXPECT_EQ(queue.startCount(), 1);
    EXPECT_TRUE(queue.started(2));
    EXPECT_FALSE(queue.started(1));
    EXPECT_FALSE(queue.allStarted());
    queue.markStarted(queue.next());
    queue.markStarted(queue.next());
    EXPECT_TRUE(queue.allStarted());
    EXPECT_EQ(queue.startCount(), 3);
    EXPECT_EQ(queue.next(), 0);
}
