#pragma once
// Work whose answer is waited for only so long: it runs on a thread of its
// own, which keeps the shared state alive after nobody waits any more, so a
// call that hangs (WMI starting up, CryptNet's time-outs) never holds up the
// program. Whatever the work uses must be its own: copied, or duplicated.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

template <class T>
class CDetachedResult {
public:
    template <class Work>
    static CDetachedResult Start(Work work) {
        CDetachedResult started;
        std::thread([state = started.m_state, work = std::move(work)]() mutable {
            T value = work();
            {
                const std::lock_guard<std::mutex> guard(state->lock);
                state->value = std::move(value);
            }
            state->done.notify_all();
        }).detach();
        return started;
    }

    // The answer, when it comes within limit.
    std::optional<T> WaitFor(std::chrono::milliseconds limit) const {
        std::unique_lock<std::mutex> guard(m_state->lock);
        m_state->done.wait_for(guard, limit, [&] { return m_state->value.has_value(); });
        return m_state->value;
    }
    // The answer, when it has come.
    std::optional<T> IfDone() const {
        const std::lock_guard<std::mutex> guard(m_state->lock);
        return m_state->value;
    }

private:
    struct State {
        std::mutex lock;
        std::condition_variable done;
        std::optional<T> value;
    };
    CDetachedResult() : m_state(std::make_shared<State>()) {}
    std::shared_ptr<State> m_state;
};
