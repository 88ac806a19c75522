#pragma once
// What a transfer attempt ended in, whether to try again and when, and the
// small parsing that resuming needs. Portable: the transports (net/request_win.h) decide
// nothing itself.
#include <deque>
#include <functional>
#include <string>

#include "sys/transfer_progress.h"

// What the caller is told of a request or download after every attempt.
enum class NetResult {
    Ok,
    NoConnection,         // no answer, dropped, timed out, proxy refused: the user's connection
    NotFound,             // the service has no such package (404, 410)
    ServiceFailed,        // any other error status: the server answered, but not with the package
    SecureConnectionFailed,  // TLS or certificate failure: never the user's connection
    NotSaved,             // the local file could not be written or the disk is too small
    Refused,              // what the client will not fetch: not https, a redirect to http, far too large
    Cancelled,            // the user (or the console) asked to stop
};

enum class AttemptEnd {
    Done, Dropped, TooSlow, Status, SecureConnection, RevocationUnknown, NameNotResolved, ProxyRefused, NotSaved, Refused,
    Cancelled
};

struct Attempt {
    AttemptEnd end = AttemptEnd::Done;
    unsigned status = 0;           // with Status: the HTTP status
    long retryAfterSeconds = -1;   // with Status: Retry-After, when given in seconds
    unsigned long error = 0;       // the library's error, when one ended it
};

constexpr int kMaxAttempts = 3;
// The longest wait for a connection: a lost SYN is sent again after 3 s, and
// a VPN or a hotel network may take longer still. Name resolution is not limited.
constexpr unsigned long kConnectTimeoutMs = 15000;
// The longest Retry-After that is waited for.
constexpr long kMaxRetryAfterSeconds = 30;
// The largest package accepted, announced or arriving.
constexpr unsigned long long kMaxPackageBytes = 2ull * 1024 * 1024 * 1024;

// A dropped or cut connection, a name not resolved, a 5xx, 408 or 429 is
// worth another attempt; any other status or a TLS failure never is.
bool ShouldRetry(const Attempt& failed);
// "dropped", "secure connection failed", ...: for the log.
const char* EndName(AttemptEnd end);
// Milliseconds to wait after failed attempt number made (1 or 2): about 1
// and 3 times the settings' retry base; jitter is a random number of
// milliseconds up to a quarter of the base.
unsigned long RetryWaitMs(const Attempt& failed, int made, unsigned long jitterMs);
NetResult ResultOf(const Attempt& last);
// Seconds of a Retry-After header; -1 when it is not a plain number.
long ParseRetryAfter(const std::string& value);

// "bytes FIRST-LAST/TOTAL" of a 206 answer; false when it is not one.
struct ContentRange {
    unsigned long long first = 0, last = 0, total = 0;
};
bool ParseContentRange(const std::string& value, ContentRange& range);

// What a resumed request names in If-Range: the answer's strong ETag, else
// its Last-Modified; empty when it gave neither (a weak ETag never names the
// same bytes), and then a broken transfer starts over.
std::string ResumeValidator(const std::string& etag, const std::string& lastModified);

// Whether a 206 answer continues the file a first answer began: the part
// asked for (from received on), of the same total length, under the same
// validator. Anything else would splice two versions into one file.
bool ContinuesTheSameFile(const std::string& validator, unsigned long long total, const ContentRange& range,
                          const std::string& answerValidator, unsigned long long received);

// Gives up on a transfer that trickles: one that averages under
// minBytesPerSecond over any windowMs. A stall limit per read alone lets a
// server that sends one byte now and then keep a download alive for ever.
class CRateWatch {
public:
    CRateWatch(unsigned long windowMs, unsigned long minBytesPerSecond)
        : m_windowMs(windowMs), m_minBytesPerSecond(minBytesPerSecond) {}
    // received: the bytes so far; nowMs: a steady clock. True when too slow.
    bool TooSlow(unsigned long long nowMs, unsigned long long received);

private:
    struct Sample { unsigned long long ms, bytes; };
    unsigned long m_windowMs, m_minBytesPerSecond;
    std::deque<Sample> m_samples;
};

// How a failed call of WinINet or of WinHTTP ends the attempt (their error
// numbers mostly agree, not all): a disk that is full, a host name that is
// none, a secure connection that failed, a revocation server that could not
// be asked, else a connection that broke.
AttemptEnd EndOfWinInetError(unsigned long error);
// WinHTTP ends every certificate failure with one number; the reasons come as
// the flags of its secure-failure callback (secureFailureFlags): a failure
// that is only the revocation check is no proof of revocation.
AttemptEnd EndOfWinHttpError(unsigned long error, unsigned long secureFailureFlags = 0);

// A revocation server that cannot be reached is no proof of revocation
// (packages are judged the same way): the request is sent once more without
// checking, and that is logged; a certificate revoked still fails. Some
// libraries (Wine's WinHTTP) report a check that could not be made as a
// failed secure channel: that is asked again too, and fails again unless
// revocation was all it was about.
bool RetryWithoutRevocation(const Attempt& failed, bool revocationChecked);
