#include <gtest/gtest.h>

#include <future>

#include "sys/detached_result.h"

using namespace std::chrono_literals;

// A hung call is given up on, and its thread may still finish after nobody
// holds the result any more (the sanitizers catch a state freed too early).
TEST(DetachedResult, AnAnswerInTimeIsTakenALateOneIsNotWaitedFor) {
    EXPECT_EQ(CDetachedResult<int>::Start([] { return 7; }).WaitFor(10s), 7);

    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    auto slow = CDetachedResult<int>::Start([released] { released.wait(); return 1; });
    EXPECT_FALSE(slow.WaitFor(20ms).has_value());
    EXPECT_FALSE(slow.IfDone().has_value());
    release.set_value();
    EXPECT_EQ(slow.WaitFor(10s), 1);
    EXPECT_EQ(slow.IfDone(), 1);

    std::promise<void> releaseForgotten, ended;
    std::shared_future<void> forgottenReleased = releaseForgotten.get_future().share();
    std::future<void> endedSeen = ended.get_future();
    {
        auto forgotten = CDetachedResult<std::string>::Start([forgottenReleased, &ended] {
            forgottenReleased.wait();
            ended.set_value();
            return std::string(1000, 'x');
        });
        EXPECT_FALSE(forgotten.WaitFor(1ms).has_value());
    }
    releaseForgotten.set_value();
    EXPECT_EQ(endedSeen.wait_for(10s), std::future_status::ready);
}
