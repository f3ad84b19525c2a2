#include "search/AheadRequests.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace search {
namespace {

using ::testing::ElementsAre;

TEST(AheadRequests, HandsAnswersBackInOrderAndStartsNoneTooFarAhead) {
    const struct {
        size_t parallel;
        size_t end;
        size_t taken;
    } cases[] = {{1, 20, 20}, {3, 20, 20}, {8, 20, 20}, {8, 5, 5}, {4, 100, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE("parallel " + std::to_string(c.parallel) + ", end " + std::to_string(c.end));
        std::atomic<size_t> calls{0};
        std::mutex mutex;
        std::vector<size_t> started;
        std::vector<size_t> tooFarAhead;
        {
            AheadRequests<size_t> ahead(
                [&](size_t index, std::stop_token) {
                    // A request may start while the pass waits for the answer parallel - 1
                    // before it, never earlier.
                    const size_t callsSoFar = calls.load();
                    const std::lock_guard lock(mutex);
                    started.push_back(index);
                    if (index + 1 >= callsSoFar + c.parallel) {
                        tooFarAhead.push_back(index);
                    }
                    return index * index;
                },
                c.parallel, {});
            for (size_t i = 0; i < c.taken; ++i) {
                ++calls;
                EXPECT_EQ(ahead.TakeNext(c.end), i * i);
            }
        }
        EXPECT_TRUE(tooFarAhead.empty()) << "request " << tooFarAhead.front();
        const size_t mostStarted = std::min(c.end, c.taken + c.parallel - 1);
        EXPECT_GE(started.size(), c.taken);
        EXPECT_LE(started.size(), mostStarted);
        for (const size_t index : started) {
            EXPECT_LT(index, mostStarted);
        }
        if (c.parallel == 1) {
            // One after another, each when the pass asks for it.
            std::vector<size_t> inOrder(c.taken);
            for (size_t i = 0; i < c.taken; ++i) {
                inOrder[i] = i;
            }
            EXPECT_EQ(started, inOrder);
        }
    }
}

TEST(AheadRequests, RethrowsAFailedRequestAndStartsNoneAfterIt) {
    std::vector<size_t> started;
    {
        AheadRequests<int> ahead(
            [&started](size_t index, std::stop_token) {
                started.push_back(index);
                if (index == 2) {
                    throw std::runtime_error("request 2 failed");
                }
                return static_cast<int>(index);
            },
            1, {});
        EXPECT_EQ(ahead.TakeNext(10), 0);
        EXPECT_EQ(ahead.TakeNext(10), 1);
        try {
            ahead.TakeNext(10);
            ADD_FAILURE() << "the failure was not passed on";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "request 2 failed");
        }
    }
    EXPECT_THAT(started, ElementsAre(0, 1, 2));
}

TEST(AheadRequests, AStopEndsTheWaitAndAbandonsTheRequestsUnderWay) {
    std::stop_source run;
    std::mutex mutex;
    std::condition_variable_any changed;
    size_t underWay = 0;
    {
        AheadRequests<int> ahead(
            [&](size_t, std::stop_token stop) {
                std::unique_lock lock(mutex);
                ++underWay;
                changed.notify_all();
                // Answers only when abandoned: without the stop the test never ends.
                changed.wait(lock, stop, [] { return false; });
                return 0;
            },
            4, run.get_token());
        std::jthread stopper([&] {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&underWay] { return underWay == 4; });
            run.request_stop();
        });
        EXPECT_THROW(ahead.TakeNext(10), RunStopped);
    }
    EXPECT_EQ(underWay, 4u);

    // Stopped before it is asked: nothing is sent.
    size_t sent = 0;
    AheadRequests<int> late(
        [&sent](size_t, std::stop_token) {
            ++sent;
            return 0;
        },
        4, run.get_token());
    EXPECT_THROW(late.TakeNext(10), RunStopped);
    EXPECT_EQ(sent, 0u);
}

}  // namespace
}  // namespace search
