#include <gtest/gtest.h>

#include <vector>

#include "net/secure_protocols.h"
#include "net/transfer.h"
#include "sys/settings.h"

TEST(Transfer, RetriesOnlyWhatAnotherAttemptCanMend) {
    const struct { Attempt failed; bool retry; NetResult result; } cases[] = {
        {{AttemptEnd::Dropped}, true, NetResult::NoConnection},
        // A server that answered with an error is not the user's connection.
        {{AttemptEnd::Status, 500}, true, NetResult::ServiceFailed},
        {{AttemptEnd::Status, 503, 2}, true, NetResult::ServiceFailed},
        {{AttemptEnd::Status, 408}, true, NetResult::ServiceFailed},
        {{AttemptEnd::Status, 429}, true, NetResult::ServiceFailed},
        {{AttemptEnd::Status, 404}, false, NetResult::NotFound},
        {{AttemptEnd::Status, 410}, false, NetResult::NotFound},
        {{AttemptEnd::Status, 403}, false, NetResult::ServiceFailed},
        {{AttemptEnd::Status, 400}, false, NetResult::ServiceFailed},
        {{AttemptEnd::TooSlow}, false, NetResult::NoConnection},
        {{AttemptEnd::SecureConnection}, false, NetResult::SecureConnectionFailed},
        // A resolver with no answer yet may have one a moment later.
        {{AttemptEnd::NameNotResolved}, true, NetResult::NoConnection},
        {{AttemptEnd::ProxyRefused}, false, NetResult::NoConnection},
        {{AttemptEnd::NotSaved}, false, NetResult::NotSaved},
        {{AttemptEnd::Refused}, false, NetResult::Refused},
        {{AttemptEnd::Done}, false, NetResult::Ok},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShouldRetry(c.failed), c.retry) << static_cast<int>(c.failed.end) << " " << c.failed.status;
        EXPECT_EQ(ResultOf(c.failed), c.result) << static_cast<int>(c.failed.end) << " " << c.failed.status;
    }
}

// Only a revocation nobody could check is asked again without checking; a
// certificate revoked, expired or for another name never is.
TEST(Transfer, ALibraryErrorEndsTheAttemptForItsReason) {
    enum Library { Inet, Http };
    const struct { Library library; unsigned long error, flags; AttemptEnd end; bool askAgain; } cases[] = {
        {Inet, 12056, 0, AttemptEnd::RevocationUnknown, true},
        {Inet, 12057, 0, AttemptEnd::RevocationUnknown, true},
        {Http, 12057, 0, AttemptEnd::RevocationUnknown, true},
        {Http, 12175, 0x1, AttemptEnd::RevocationUnknown, true},
        {Http, 12175, 0x1 | 0x4, AttemptEnd::SecureConnection, false},   // and revoked
        {Http, 12175, 0x1 | 0x20, AttemptEnd::SecureConnection, false},  // and expired
        {Http, 12175, 0, AttemptEnd::SecureConnection, false},
        {Inet, 12170, 0, AttemptEnd::SecureConnection, false},
        {Http, 12170, 0, AttemptEnd::SecureConnection, false},
        {Inet, 12055, 0, AttemptEnd::SecureConnection, false},
        {Inet, 12045, 0, AttemptEnd::SecureConnection, false},
        {Http, 12038, 0, AttemptEnd::SecureConnection, false},
        // Wine's WinHTTP says no more than this when the check could not be made.
        {Http, 12157, 0, AttemptEnd::SecureConnection, true},
        {Inet, 12007, 0, AttemptEnd::NameNotResolved, false},
        {Http, 112, 0, AttemptEnd::NotSaved, false},
        {Http, 12002, 0, AttemptEnd::Dropped, false},
        {Inet, 12029, 0, AttemptEnd::Dropped, false},
    };
    for (const auto& c : cases) {
        const AttemptEnd end = c.library == Inet ? EndOfWinInetError(c.error) : EndOfWinHttpError(c.error, c.flags);
        EXPECT_EQ(end, c.end) << c.error << " flags " << c.flags;
        const Attempt failed{end, 0, -1, c.error};
        EXPECT_EQ(RetryWithoutRevocation(failed, true), c.askAgain) << c.error << " flags " << c.flags;
        EXPECT_FALSE(RetryWithoutRevocation(failed, false)) << "asked without checking already: " << c.error;
    }
}

TEST(Transfer, WaitsAboutOneThenThreeSecondsOrWhatTheServerAsks) {
    ASSERT_EQ(BuildSettings().retryBaseMs, 1000u);
    CSettingsOverride settings;
    g_settings.retryBaseMs = BuildSettings().retryBaseMs;
    const struct { Attempt failed; int made; unsigned long jitter; unsigned long wait; } cases[] = {
        {{AttemptEnd::Dropped}, 1, 0, 1000}, {{AttemptEnd::Dropped}, 1, 120, 1120},
        {{AttemptEnd::Dropped}, 1, 251, 1000},  // jitter stays under a quarter of the base
        {{AttemptEnd::Dropped}, 2, 0, 3000}, {{AttemptEnd::Status, 500}, 2, 7, 3007},
        {{AttemptEnd::Status, 503, 2}, 1, 99, 2000}, {{AttemptEnd::Status, 429, 0}, 2, 99, 0},
        {{AttemptEnd::Status, 503, 31}, 1, 0, 30000}, {{AttemptEnd::Status, 503, 86400}, 2, 0, 30000},
    };
    for (const auto& c : cases) EXPECT_EQ(RetryWaitMs(c.failed, c.made, c.jitter), c.wait) << c.made << " " << c.jitter;

    const struct { const char* header; long seconds; } headers[] = {
        {"2", 2}, {" 120 ", 120}, {"0", 0}, {"", -1}, {"-1", -1}, {"1.5", -1}, {"2s", -1},
        {"Wed, 21 Oct 2026 07:28:00 GMT", -1}, {"99999999999999999999", -1}, {"999999999999", 1 << 30}};
    for (const auto& h : headers) EXPECT_EQ(ParseRetryAfter(h.header), h.seconds) << h.header;
}

TEST(Transfer, ReadsContentRangesAndReportsEachPercentOnce) {
    const struct { const char* header; bool ok; unsigned long long first, last, total; } cases[] = {
        {"bytes 100-199/200", true, 100, 199, 200}, {" bytes 0-0/1 ", true, 0, 0, 1},
        {"bytes 100-199/*", false, 0, 0, 0}, {"bytes */200", false, 0, 0, 0}, {"bytes 200-100/300", false, 0, 0, 0},
        {"bytes 100-200/200", false, 0, 0, 0}, {"items 1-2/3", false, 0, 0, 0}, {"bytes 1-2/3x", false, 0, 0, 0},
        {"", false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        ContentRange range;  // left as it was when the header is no range
        EXPECT_EQ(ParseContentRange(c.header, range), c.ok) << c.header;
        EXPECT_EQ(range.first, c.first) << c.header;
        EXPECT_EQ(range.last, c.last) << c.header;
        EXPECT_EQ(range.total, c.total) << c.header;
    }

    // Only the first answer's strong validator and length let a part be spliced on.
    const struct { const char* etag; const char* modified; const char* validator; } validators[] = {
        {"\"a1\"", "Wed, 09 Dec 2026 13:00:00 GMT", "\"a1\""}, {"W/\"a1\"", "", ""},
        {"W/\"a1\"", "Wed, 09 Dec 2026 13:00:00 GMT", "Wed, 09 Dec 2026 13:00:00 GMT"}, {"", "", ""},
    };
    for (const auto& v : validators) EXPECT_EQ(ResumeValidator(v.etag, v.modified), v.validator) << v.etag;
    const ContentRange part{100, 199, 200};
    const struct { const char* validator; unsigned long long total; const char* answered; unsigned long long received;
                   bool continues; } parts[] = {
        {"\"a1\"", 200, "\"a1\"", 100, true}, {"\"a1\"", 200, "\"b2\"", 100, false},
        {"\"a1\"", 300, "\"a1\"", 100, false}, {"\"a1\"", 200, "\"a1\"", 50, false}, {"", 200, "", 100, false},
    };
    for (const auto& p : parts)
        EXPECT_EQ(ContinuesTheSameFile(p.validator, p.total, part, p.answered, p.received), p.continues)
            << p.validator << " " << p.answered << " " << p.total << " " << p.received;

    // Each new percentage is told, and otherwise every quarter second, with
    // the rate over the last three seconds (none over less than half a second).
    std::vector<TransferProgress> sent;
    CProgressReporter known([&](const TransferProgress& p) { sent.push_back(p); });
    const std::pair<unsigned long long, unsigned long long> reads[] = {
        {0, 0}, {100, 10}, {150, 19}, {200, 20}, {1000, 250}, {4000, 1000}, {4100, 1000}, {4500, 1000}};
    for (const auto& read : reads) known.Report(read.first, read.second, 1000);
    std::vector<int> percents;
    std::vector<long> rates;
    for (const TransferProgress& p : sent) {
        percents.push_back(p.Percent());
        rates.push_back(static_cast<long>(p.bytesPerSecond));
    }
    EXPECT_EQ(percents, (std::vector<int>{0, 1, 2, 25, 100, 100}));
    EXPECT_EQ(rates, (std::vector<long>{0, 0, 0, 250, 250, 214}));
    sent.clear();
    CProgressReporter unknown([&](const TransferProgress& p) { sent.push_back(p); });
    for (unsigned long long ms : {0ull, 100ull, 300ull}) unknown.Report(ms, ms / 10, 0);
    unknown.Finish(400);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].Percent(), -1);
    EXPECT_EQ(sent[1].done, 30u);  // a quarter second on, though the percentage says nothing
    EXPECT_EQ(sent[2].Percent(), 100);
    EXPECT_EQ(sent[2].done, 30u);
    // The rate is over the last three seconds, no fewer: 200 bytes a half
    // second, then 1000; and an attempt that starts over never makes it
    // absurd (bytes gone are no negative count).
    const struct { const char* name; std::vector<std::pair<unsigned long long, unsigned long long>> reads; long rate; } rows[] = {
        {"faster for the last 2 s", {{0, 0}, {500, 200}, {1000, 400}, {1500, 600}, {2000, 800}, {2500, 1000},
                                     {3000, 1200}, {3500, 2200}, {4000, 3200}, {4500, 4200}, {5000, 5200}}, 1466},
        {"started over", {{0, 0}, {1000, 5000}, {2000, 10000}, {4500, 100}, {5500, 1100}}, 200},
    };
    for (const auto& row : rows) {
        sent.clear();
        CProgressReporter reporter([&](const TransferProgress& p) { sent.push_back(p); });
        for (const auto& read : row.reads) reporter.Report(read.first, read.second, 20000);
        ASSERT_FALSE(sent.empty()) << row.name;
        EXPECT_EQ(static_cast<long>(sent.back().bytesPerSecond), row.rate) << row.name;
    }
}

// Under 1 KiB/s on average over any minute gives up; a slow start that
// catches up, or a short pause, does not.
TEST(Transfer, ATrickleGivesUpButASlowPatchDoesNot) {
    const struct { const char* name; std::vector<std::pair<unsigned long long, unsigned long long>> reads;
                   bool tooSlow; } cases[] = {
        {"one byte every 29 s", {{0, 0}, {29000, 1}, {58000, 2}, {87000, 3}}, true},
        {"nothing yet a whole window on", {{0, 0}, {60000, 0}}, true},
        {"steady 2 KiB/s", {{0, 0}, {30000, 61440}, {60000, 122880}, {90000, 184320}}, false},
        {"a stall of 50 s between bursts", {{0, 0}, {1000, 200000}, {51000, 200000}, {61000, 300000}}, false},
        {"fast, then a minute of trickle", {{0, 0}, {1000, 500000}, {31000, 500001}, {62000, 500002}}, true},
        {"just under a window", {{0, 0}, {59999, 0}}, false},
        {"resumed with bytes already there", {{0, 1000000}, {30000, 1000010}, {60000, 1000020}}, true},
    };
    for (const auto& c : cases) {
        CRateWatch watch(60000, 1024);
        bool tooSlow = false;
        for (const auto& read : c.reads) tooSlow = watch.TooSlow(read.first, read.second);
        EXPECT_EQ(tooSlow, c.tooSlow) << c.name;
    }
    EXPECT_FALSE(CRateWatch(0, 1024).TooSlow(100000, 0));  // no window: no limit
}

// Windows 7 and 8.0 offer TLS 1.0 alone unless told; 8.1 and later keep their own choice, TLS 1.3 included.
TEST(Transfer, TlsVersionsAreNamedOnlyWhereWindowsOffersTooFew) {
    const struct { WindowsVersion windows; unsigned long flags; } cases[] = {
        {WindowsVersion::Win7, kSecureProtocolTls11 | kSecureProtocolTls12},
        {WindowsVersion::Win8, kSecureProtocolTls11 | kSecureProtocolTls12},
        {WindowsVersion::Win81, 0}, {WindowsVersion::Win10, 0}, {WindowsVersion::Unknown, 0}};
    for (const auto& c : cases) EXPECT_EQ(SecureProtocolsFor(c.windows), c.flags) << static_cast<int>(c.windows);
}
