#include "net/transfer.h"

#include "sys/settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

bool ShouldRetry(const Attempt& failed) {
    switch (failed.end) {
    // A resolver on a VPN or a hotel network that has no answer yet may have one a moment later.
    case AttemptEnd::Dropped:
    case AttemptEnd::NameNotResolved: return true;
    case AttemptEnd::Status:
        return failed.status >= 500 || failed.status == 408 || failed.status == 429;
    default: return false;
    }
}

unsigned long RetryWaitMs(const Attempt& failed, int made, unsigned long jitterMs) {
    if (failed.end == AttemptEnd::Status && failed.retryAfterSeconds >= 0)
        return static_cast<unsigned long>(std::min(failed.retryAfterSeconds, kMaxRetryAfterSeconds)) * 1000;
    const unsigned long base = g_settings.retryBaseMs, factor = made <= 1 ? 1 : 3;
    return base * factor + jitterMs % (base / 4 + 1);
}

NetResult ResultOf(const Attempt& last) {
    switch (last.end) {
    case AttemptEnd::Done: return NetResult::Ok;
    case AttemptEnd::SecureConnection:
    case AttemptEnd::RevocationUnknown: return NetResult::SecureConnectionFailed;
    case AttemptEnd::NotSaved: return NetResult::NotSaved;
    case AttemptEnd::Refused: return NetResult::Refused;
    case AttemptEnd::Cancelled: return NetResult::Cancelled;
    case AttemptEnd::Status:
        return last.status == 404 || last.status == 410 ? NetResult::NotFound : NetResult::ServiceFailed;
    default: return NetResult::NoConnection;
    }
}

namespace {

bool ReadNumber(const std::string& text, std::size_t& at, unsigned long long& value) {
    const std::size_t start = at;
    value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && at - start < 19)
        value = value * 10 + static_cast<unsigned>(text[at++] - '0');
    return at > start && (at == text.size() || !std::isdigit(static_cast<unsigned char>(text[at])));
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

long ParseRetryAfter(const std::string& value) {
    const std::string text = Trimmed(value);
    std::size_t at = 0;
    unsigned long long seconds = 0;
    if (!ReadNumber(text, at, seconds) || at != text.size()) return -1;
    return static_cast<long>(std::min<unsigned long long>(seconds, 1u << 30));
}

bool ParseContentRange(const std::string& value, ContentRange& range) {
    const std::string text = Trimmed(value);
    if (text.compare(0, 6, "bytes ") != 0) return false;
    std::size_t at = 6;
    ContentRange parsed;
    if (!ReadNumber(text, at, parsed.first) || at >= text.size() || text[at++] != '-') return false;
    if (!ReadNumber(text, at, parsed.last) || at >= text.size() || text[at++] != '/') return false;
    if (!ReadNumber(text, at, parsed.total) || at != text.size()) return false;
    if (parsed.first > parsed.last || parsed.last >= parsed.total) return false;
    range = parsed;
    return true;
}

std::string ResumeValidator(const std::string& etag, const std::string& lastModified) {
    const std::string strong = Trimmed(etag);
    if (!strong.empty() && strong.compare(0, 2, "W/") != 0) return strong;
    return Trimmed(lastModified);
}

bool ContinuesTheSameFile(const std::string& validator, unsigned long long total, const ContentRange& range,
                          const std::string& answerValidator, unsigned long long received) {
    return !validator.empty() && answerValidator == validator && range.total == total && range.first == received;
}

const char* EndName(AttemptEnd end) {
    switch (end) {
    case AttemptEnd::Done: return "done";
    case AttemptEnd::TooSlow: return "too slow for too long";
    case AttemptEnd::Dropped: return "connection failed or dropped";
    case AttemptEnd::Status: return "HTTP error";
    case AttemptEnd::SecureConnection: return "secure connection failed";
    case AttemptEnd::RevocationUnknown: return "the certificate's revocation could not be checked";
    case AttemptEnd::NameNotResolved: return "host name not resolved";
    case AttemptEnd::ProxyRefused: return "proxy refused";
    case AttemptEnd::NotSaved: return "not saved";
    case AttemptEnd::Refused: return "refused";
    case AttemptEnd::Cancelled: return "cancelled";
    }
    return "?";
}

bool CRateWatch::TooSlow(unsigned long long nowMs, unsigned long long received) {
    m_samples.push_back({nowMs, received});
    // Keep the newest sample that lies a whole window back, and what came after.
    while (m_samples.size() >= 2 && m_samples[1].ms + m_windowMs <= nowMs) m_samples.pop_front();
    const Sample& from = m_samples.front();
    if (m_windowMs == 0 || nowMs - from.ms < m_windowMs) return false;
    return (received - from.bytes) * 1000 < (nowMs - from.ms) * m_minBytesPerSecond;
}

namespace {

// Error numbers of WinINet (wininet.h) and WinHTTP (winhttp.h).
constexpr unsigned long kDiskFull = 112, kHandleDiskFull = 39, kNameNotResolved = 12007, kCertDateInvalid = 12037,
                        kCertCnInvalid = 12038, kClientAuthCertNeeded = 12044, kInvalidCa = 12045,
                        kInetCertErrors = 12055, kInetCertNoRevocation = 12056, kCertRevocationFailed = 12057,
                        kSecureChannelError = 12157, kInvalidCert = 12169, kCertRevoked = 12170,
                        kWinHttpSecureFailure = 12175;

// What both libraries number alike.
AttemptEnd EndOfCommonError(unsigned long error) {
    switch (error) {
    case kDiskFull:
    case kHandleDiskFull: return AttemptEnd::NotSaved;
    case kNameNotResolved: return AttemptEnd::NameNotResolved;
    case kCertRevocationFailed: return AttemptEnd::RevocationUnknown;
    case kCertDateInvalid:
    case kCertCnInvalid:
    case kClientAuthCertNeeded:
    case kInvalidCa:
    case kSecureChannelError:
    case kInvalidCert:
    case kCertRevoked: return AttemptEnd::SecureConnection;
    default: return AttemptEnd::Dropped;  // refused, reset, timed out, cut short
    }
}

}  // namespace

AttemptEnd EndOfWinInetError(unsigned long error) {
    if (error == kInetCertNoRevocation) return AttemptEnd::RevocationUnknown;
    if (error == kInetCertErrors) return AttemptEnd::SecureConnection;
    return EndOfCommonError(error);
}

AttemptEnd EndOfWinHttpError(unsigned long error, unsigned long secureFailureFlags) {
    constexpr unsigned long kRevocationFailedFlag = 0x1;  // WINHTTP_CALLBACK_STATUS_FLAG_CERT_REV_FAILED
    if (error == kWinHttpSecureFailure)
        return secureFailureFlags == kRevocationFailedFlag ? AttemptEnd::RevocationUnknown : AttemptEnd::SecureConnection;
    return EndOfCommonError(error);
}

bool RetryWithoutRevocation(const Attempt& failed, bool revocationChecked) {
    return revocationChecked && (failed.end == AttemptEnd::RevocationUnknown ||
                                 (failed.end == AttemptEnd::SecureConnection && failed.error == kSecureChannelError));
}
