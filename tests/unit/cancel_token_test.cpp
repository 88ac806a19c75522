#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "sys/cancel_token.h"

// A cancel from another thread ends a wait at once and calls each live hook
// once: a hook made after the cancel runs at once, one gone never runs.
TEST(CancelToken, ACancelEndsTheWaitAndCallsTheLiveHooks) {
    CCancelToken token;
    EXPECT_FALSE(token.WaitFor(1));
    int aborted = 0, gone = 0;
    const CCancelToken::CHook live(&token, [&] { ++aborted; });
    { const CCancelToken::CHook left(&token, [&] { ++gone; }); }
    const auto start = std::chrono::steady_clock::now();
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        token.Cancel();
        token.Cancel();
    });
    EXPECT_TRUE(token.WaitFor(60000));
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(aborted, 1);
    EXPECT_EQ(gone, 0);
    int late = 0;
    const CCancelToken::CHook after(&token, [&] { ++late; });
    EXPECT_EQ(late, 1);
    EXPECT_TRUE(WaitOrCancel(&token, 60000));
    token.Reset();
    EXPECT_FALSE(token.Cancelled());
    EXPECT_FALSE(WaitOrCancel(nullptr, 1));
}
