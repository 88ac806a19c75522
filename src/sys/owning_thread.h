#pragma once
// Calls that must all run on one thread of their own: a library whose
// handles no other thread may close or use while a call is in them (WinINet
// and WinHTTP in their blocking mode). The caller waits for each call until
// it is done or the cancel is set; once cancelled it goes its way at once,
// and the thread finishes the call it is in, destroys what it owns (closing
// the handles there) and ends, with nobody waiting for it. Portable.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "sys/cancel_token.h"

template <class T>
class COwningThread {
public:
    enum class CallEnd { Done, Cancelled, NoThread };

    COwningThread() = default;
    ~COwningThread() { Abandon(); }
    COwningThread(const COwningThread&) = delete;
    COwningThread& operator=(const COwningThread&) = delete;

    // Runs work on the thread (started at the first call) with what it
    // owns. work must capture nothing of the caller's by reference: after a
    // cancel it may run on while the caller's frame is long gone. Done:
    // work ran, and what it left in the owned state may be read (Owned() below).
    CallEnd Call(std::function<void(T&)> work, const CCancelToken* cancel) {
        if (cancel && cancel->Cancelled()) return CallEnd::Cancelled;
        if (!m_state && !Start()) return CallEnd::NoThread;
        State& state = *m_state;
        const std::shared_ptr<State> kept = m_state;
        const CCancelToken::CHook wake(cancel, [kept] {
            const std::lock_guard<std::mutex> guard(kept->lock);
            kept->cancelled = true;
            kept->changed.notify_all();
        });
        std::unique_lock<std::mutex> guard(state.lock);
        state.work = std::move(work);
        state.done = false;
        state.changed.notify_all();
        state.changed.wait(guard, [&] { return state.done || state.cancelled; });
        if (state.done) return CallEnd::Done;
        guard.unlock();
        Abandon();
        return CallEnd::Cancelled;
    }

    // What the thread owns, between calls (only after Done).
    T& Owned() { return m_state->owned; }

    // From now on nothing is waited for: the thread ends after its call.
    void Abandon() {
        if (!m_state) return;
        {
            const std::lock_guard<std::mutex> guard(m_state->lock);
            m_state->abandoned = true;
            m_state->changed.notify_all();
        }
        m_state.reset();
    }

private:
    struct State {
        std::mutex lock;
        std::condition_variable changed;
        std::function<void(T&)> work;
        bool done = false, cancelled = false, abandoned = false;
        T owned;
    };

    bool Start() {
        auto state = std::make_shared<State>();
        try {
            std::thread([state] { Serve(*state); }).detach();
        } catch (const std::system_error&) {
            return false;
        }
        m_state = std::move(state);
        return true;
    }

    static void Serve(State& state) {
        std::unique_lock<std::mutex> guard(state.lock);
        for (;;) {
            state.changed.wait(guard, [&] { return state.work || state.abandoned; });
            if (!state.work) break;
            std::function<void(T&)> work = std::move(state.work);
            state.work = nullptr;
            guard.unlock();
            work(state.owned);
            guard.lock();
            state.done = true;
            state.changed.notify_all();
        }
        // Here, on its own thread: the owned handles are closed by the one that used them.
        T gone = std::move(state.owned);
        guard.unlock();
    }

    std::shared_ptr<State> m_state;
};
