// The device service's question: one GET whose whole answer is the body,
// whatever its status; a server in trouble is asked again.
#include <cstdio>

#include "net/body_copy_win.h"
#include "net/device_service.h"
#include "net/http.h"
#include "net/with_retries_win.h"
#include "sys/settings.h"

NetResult HttpGetJson(const std::wstring& url, std::string& body, const CCancelToken* cancel) {
    std::string collected;
    const Attempt last = net::WithRetries(url, [&] {
        collected.clear();
        net::CGet get;
        const Attempt sent = get.Open(
            url,
            {kConnectTimeoutMs, g_settings.answerStallMs,
             {L"Accept: */*,application/json", L"Accept-Charset:UTF8",
              L"Accept-Language: zh-cn;q=0.8,en;q=0.6,ja;q=0.4", L"Content-Type:application/json"},
             cancel});
        if (sent.end != AttemptEnd::Done) return sent;
        std::printf("HTTP_STATUS_code:%d\n", static_cast<int>(get.Status()));
        std::fflush(stdout);
        char chunk[1024];
        CRateWatch rate = net::NewRateWatch();
        rate.TooSlow(::GetTickCount64(), 0);
        for (DWORD got = 0;;) {
            const Attempt read = get.ReadSome(chunk, sizeof chunk, got);
            if (read.end != AttemptEnd::Done) return read;
            if (rate.TooSlow(::GetTickCount64(), collected.size() + got)) return net::TooSlow();
            if (got == 0) break;
            if (collected.size() + got > kMaxAnswerBytes)
                return net::EndAttempt(AttemptEnd::Refused, L"an answer larger than any of the service's");
            collected.append(chunk, got);
        }
        // The callers judge the body; a server in trouble is asked again.
        const Attempt answered{AttemptEnd::Status, get.Status(), ParseRetryAfter(get.HeaderValue(net::Header::RetryAfter))};
        return ShouldRetry(answered) ? answered : Attempt{AttemptEnd::Done, get.Status()};
    }, [&] { return static_cast<unsigned long long>(collected.size()); }, cancel);
    if (last.end != AttemptEnd::Done && last.end != AttemptEnd::Status) return ResultOf(last);
    body.swap(collected);  // after the last try a server error's page is an answer too
    return NetResult::Ok;
}
