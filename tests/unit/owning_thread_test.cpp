#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "sys/owning_thread.h"

namespace {

// Notes which thread destroys it: the one that used it, never the caller.
struct CHandles {
    CHandles() = default;
    CHandles(CHandles&& other) noexcept : destroyedOn(other.destroyedOn), usedOn(other.usedOn) { other.destroyedOn = nullptr; }
    CHandles& operator=(CHandles&&) = delete;
    ~CHandles() {
        if (destroyedOn && usedOn != std::thread::id()) destroyedOn->set_value(std::this_thread::get_id());
    }
    std::promise<std::thread::id>* destroyedOn = nullptr;
    std::thread::id usedOn;
    int calls = 0;
};

}  // namespace

// Every call runs on the one thread of its own; a cancel frees the caller at
// once while a call blocks, and the thread, once its call ends, destroys what
// it owns itself. A cancel set before a call runs nothing.
TEST(OwningThread, CallsRunOnItsThreadAndACancelNeverWaitsForThem) {
    std::promise<std::thread::id> destroyed;
    std::future<std::thread::id> destroyedOn = destroyed.get_future();
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    CCancelToken cancel;
    std::thread::id worker;
    {
        COwningThread<CHandles> thread;
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(thread.Call([&destroyed](CHandles& h) {
                h.destroyedOn = &destroyed;
                h.usedOn = std::this_thread::get_id();
                ++h.calls;
            }, &cancel), COwningThread<CHandles>::CallEnd::Done);
        EXPECT_EQ(thread.Owned().calls, 3);
        worker = thread.Owned().usedOn;
        EXPECT_NE(worker, std::this_thread::get_id());
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            cancel.Cancel();
        });
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(thread.Call([released](CHandles&) { released.wait(); }, &cancel),
                  COwningThread<CHandles>::CallEnd::Cancelled);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        canceller.join();
        EXPECT_EQ(destroyedOn.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    }
    release.set_value();  // the blocked call ends long after its caller went
    ASSERT_EQ(destroyedOn.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_EQ(destroyedOn.get(), worker);

    std::atomic<bool> ran{false};
    COwningThread<CHandles> again;
    EXPECT_EQ(again.Call([&ran](CHandles&) { ran = true; }, &cancel), COwningThread<CHandles>::CallEnd::Cancelled);
    EXPECT_FALSE(ran);
}
