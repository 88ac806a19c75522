#pragma once
// The retry loop both requests share: an attempt again while what ended it
// is worth another try (net/transfer.h), waiting between them, up to
// kMaxAttempts, each attempt logged with the bytes it left.
#include <windows.h>

#include <functional>
#include <random>
#include <string>

#include "net/transfer.h"
#include "sys/cancel_token.h"
#include "sys/log.h"
#include "sys/text_util.h"

namespace net {

// What an attempt came to, for the log.
inline std::wstring AttemptOutcome(const Attempt& attempt, unsigned long long bytes, DWORD startTick) {
    const std::wstring how = attempt.end == AttemptEnd::Status || (attempt.end == AttemptEnd::Done && attempt.status)
                                 ? L"HTTP " + std::to_wstring(attempt.status)
                                 : Widen(EndName(attempt.end));
    return how + L", " + std::to_wstring(bytes) + L" bytes in " + std::to_wstring(::GetTickCount() - startTick) +
           L" ms";
}

// Runs attempt until it is done or not worth another try; the last
// attempt's end. received() tells the bytes kept, for the log.
template <class AttemptFn>
Attempt WithRetries(const std::wstring& url, AttemptFn attempt, const std::function<unsigned long long()>& received,
                    const CCancelToken* cancel) {
    static thread_local std::minstd_rand jitter(std::random_device{}());
    const auto cancelled = [&] {
        sys::Log(L"GET " + url + L": cancelled, " + std::to_wstring(received()) + L" bytes kept");
        return Attempt{AttemptEnd::Cancelled};
    };
    for (int made = 1;; ++made) {
        const DWORD start = ::GetTickCount();
        const Attempt last = attempt();
        if (last.end == AttemptEnd::Cancelled || (cancel && cancel->Cancelled())) return cancelled();
        sys::Log(L"GET " + url + L": " + AttemptOutcome(last, received(), start));
        if (last.end == AttemptEnd::Done || made == kMaxAttempts || !ShouldRetry(last)) return last;
        const unsigned long wait = RetryWaitMs(last, made, jitter());
        sys::Log(L"trying " + url + L" again in " + std::to_wstring(wait) + L" ms");
        if (WaitOrCancel(cancel, wait)) return cancelled();
    }
}

}  // namespace net
