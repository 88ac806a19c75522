#pragma once
// A request to stop a job, set from another thread (the window's cancel,
// the console's Ctrl+C): every wait of the job ends within a moment once it
// is set, and a call blocked in the system is ended by the hook its owner
// registered. Portable.
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>

class CCancelToken {
public:
    CCancelToken() = default;
    CCancelToken(const CCancelToken&) = delete;
    CCancelToken& operator=(const CCancelToken&) = delete;

    void Cancel();
    // A new run of the job: not cancelled.
    void Reset();
    bool Cancelled() const;
    // Waits up to ms; true when cancelled, before or meanwhile.
    bool WaitFor(unsigned long ms) const;

    // While the hook lives, a cancel calls abort (on the cancelling thread;
    // at once when cancelled already). abort must not wait for the job.
    class CHook {
    public:
        CHook() = default;
        CHook(const CCancelToken* token, std::function<void()> abort);
        ~CHook();
        CHook(const CHook&) = delete;
        CHook& operator=(const CHook&) = delete;

    private:
        const CCancelToken* m_token = nullptr;
        std::list<std::function<void()>>::iterator m_at;
    };

private:
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    bool m_cancelled = false;
    mutable std::list<std::function<void()>> m_hooks;
};

// Waits up to ms on token, or simply sleeps without one; true when cancelled.
bool WaitOrCancel(const CCancelToken* token, unsigned long ms);
