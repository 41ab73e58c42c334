// The order of the page converter's starts: pages asked for jump the queue, every page starts once.
#include <gtest/gtest.h>

#include <vector>

#include "context/page_queue.h"

namespace {

// One step of a scenario: ask for a page (0: none) and then make this many starts.
struct Step {
    int ask = 0;
    int starts = 0;
};

struct OrderCase {
    const char* name;
    int pageCount;
    std::vector<Step> steps;
    std::vector<int> expected;  // every start, in order
};

std::vector<int> startsOf(const OrderCase& c) {
    PageQueue queue;
    queue.reset(c.pageCount);
    std::vector<int> started;
    for (const Step& step : c.steps) {
        if (step.ask != 0) queue.ask(step.ask);
        for (int i = 0; i < step.starts && queue.next() != 0; ++i) {
            started.push_back(queue.next());
            queue.markStarted(started.back());
        }
    }
    while (queue.next() != 0) {
        started.push_back(queue.next());
        queue.markStarted(started.back());
    }
    return started;
}

struct ConversionOrder : ::testing::TestWithParam<OrderCase> {};

const OrderCase orderCases[] = {
    {"InOrderWithoutAsks", 5, {}, {1, 2, 3, 4, 5}},
    {"AskedPageThenItsNextNeighbourThenOnFromWhereItWas",
     10,
     {{0, 2}, {7, 0}},
     {1, 2, 7, 8, 3, 4, 5, 6, 9, 10}},
    {"LastPageThenTheOneBeforeIt", 10, {{0, 1}, {10, 0}}, {1, 10, 9, 2, 3, 4, 5, 6, 7, 8}},
    {"AskedPageAlreadyStartedStartsNothing", 6, {{0, 3}, {2, 1}}, {1, 2, 3, 4, 5, 6}},
    {"NeighbourAlreadyStartedIsSkipped", 6, {{0, 1}, {5, 2}, {4, 0}}, {1, 5, 6, 4, 2, 3}},
    {"ANewerAskWinsOverOneNotStartedYet",
     12,
     {{0, 1}, {9, 0}, {4, 0}},
     {1, 4, 5, 2, 3, 6, 7, 8, 9, 10, 11, 12}},
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
    const std::vector<int> started = startsOf(c);
    EXPECT_EQ(started, c.expected);
    std::vector<int> count(static_cast<std::size_t>(c.pageCount) + 1, 0);
    for (int page : started) ++count[static_cast<std::size_t>(page)];
    for (int page = 1; page <= c.pageCount; ++page)
        EXPECT_EQ(count[static_cast<std::size_t>(page)], 1) << page;
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
