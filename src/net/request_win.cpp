#include "net/request_win.h"

#include <algorithm>
#include <cstdio>

#include "net/transport_win.h"
#include "sys/log.h"
#include "sys/settings.h"
#include "sys/utf8.h"

namespace net {

namespace {

constexpr int kMaxRedirects = 5;
// ERROR_HTTP_INVALID_SERVER_RESPONSE, as both libraries number it.
constexpr DWORD kInvalidServerResponse = 12152;

bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// One hop of the address, https only; the revocation of the service's
// certificate asked about once more without checking when nobody could say.
Attempt SendHop(ITransport& transport, const std::wstring& url, const CGetOptions& options,
                std::unique_ptr<IAnswer>& answer) {
    UrlParts parts;
    if (!SplitUrl(url, parts)) return EndAttempt(AttemptEnd::Refused, L"address not understood: " + url);
    if (!parts.https) return EndAttempt(AttemptEnd::Refused, L"not an https address: " + url);
    answer.reset();
    Attempt sent = transport.Send(parts, options, true, answer);
    if (RetryWithoutRevocation(sent, true)) {
        sys::Log(L"the revocation of the certificate of " + parts.host +
                 L" could not be checked (error " + std::to_wstring(sent.error) + L"): asking again without");
        answer.reset();
        sent = transport.Send(parts, options, false, answer);
    }
    return sent;
}

// The GET with its redirects, on the request's thread.
Attempt SendFollowingRedirects(const std::wstring& url, const CGetOptions& options, std::unique_ptr<ITransport>& transport,
                               std::unique_ptr<IAnswer>& answer) {
    transport = OpenTransport(options);
    if (!transport) return EndAttempt(AttemptEnd::Dropped, L"no Internet session could be opened");
    std::wstring current = url;
    for (int redirects = 0;; ++redirects) {
        const Attempt sent = SendHop(*transport, current, options, answer);
        // A server that went away before its status line gave no answer: worth another try.
        if (sent.end == AttemptEnd::Done && answer->Status() == 0)
            return transport->Failed("HttpQueryInfo", kInvalidServerResponse);
        if (sent.end != AttemptEnd::Done || !IsRedirect(answer->Status())) return sent;
        if (redirects == kMaxRedirects) return EndAttempt(AttemptEnd::Refused, L"too many redirects from " + url);
        const std::string location = answer->HeaderValue(Header::Location);
        current = ResolveLocation(current, Utf8ToWide(location));
        if (current.empty()) return EndAttempt(AttemptEnd::Refused, L"a redirect without a usable Location from " + url);
        sys::Log(L"redirected to " + current);
    }
}

}  // namespace

std::unique_ptr<ITransport> OpenTransport(const CGetOptions& options) {
    return g_settings.run.httpLibrary == HttpLibrary::WinHttp ? OpenWinHttpTransport(options)
                                                          : OpenWinInetTransport(options);
}

Attempt EndAttempt(AttemptEnd end, const std::wstring& what) {
    sys::Log(L"Download refused : " + what);
    return Attempt{end};
}

std::wstring ErrorText(const wchar_t* module, DWORD error) {
    wchar_t text[256] = {};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    ::GetModuleHandleW(module), error, 0, text, 255, nullptr);
    if (length == 0)
        length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                  text, 255, nullptr);
    if (length == 0) std::swprintf(text, 255, L"error %lu", error);
    std::wstring message = text;
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
    return message;
}

Attempt CGet::Run(std::function<void(CExchange&)> work) {
    // Once let go of, the exchange is the thread's alone: nothing more is asked of it.
    if (m_abandoned) return Attempt{AttemptEnd::Cancelled};
    switch (m_thread.Call(std::move(work), m_cancel)) {
    case COwningThread<CExchange>::CallEnd::Done: return m_thread.Owned().end;
    case COwningThread<CExchange>::CallEnd::Cancelled:
        m_abandoned = true;
        return Attempt{AttemptEnd::Cancelled};
    case COwningThread<CExchange>::CallEnd::NoThread: break;
    }
    return EndAttempt(AttemptEnd::Dropped, L"no thread for the request could be started");
}

Attempt CGet::Open(const std::wstring& url, const CGetOptions& options) {
    m_cancel = options.cancel;
    m_status = 0;
    m_headers = {};
    // The closure owns copies: after a cancel it may run on without us.
    CGetOptions own = options;
    own.cancel = nullptr;
    const Attempt sent = Run([url, own](CExchange& exchange) {
        exchange.answer.reset();
        exchange.end = SendFollowingRedirects(url, own, exchange.transport, exchange.answer);
        if (exchange.end.end != AttemptEnd::Done) return;
        // Kept with the status, so that nothing but the thread ever asks the handle.
        std::string headers;
        for (std::size_t h = 0; h < kHeaderCount; ++h)
            headers += exchange.answer->HeaderValue(static_cast<Header>(h)) + '\0';
        exchange.bytes.assign(headers.begin(), headers.end());
        exchange.end.status = exchange.answer->Status();
    });
    if (sent.end != AttemptEnd::Done) return sent;
    m_status = sent.status;
    const std::vector<char>& kept = m_thread.Owned().bytes;
    std::size_t at = 0;
    for (std::string& value : m_headers) {
        const auto end = std::find(kept.begin() + static_cast<std::ptrdiff_t>(at), kept.end(), '\0');
        value.assign(kept.begin() + static_cast<std::ptrdiff_t>(at), end);
        at = static_cast<std::size_t>(end - kept.begin()) + 1;
    }
    return Attempt{AttemptEnd::Done, m_status};
}

Attempt CGet::ReadSome(char* buffer, DWORD size, DWORD& got) {
    got = 0;
    const Attempt read = Run([size](CExchange& exchange) {
        exchange.bytes.resize(size);
        DWORD arrived = 0;
        exchange.end = Attempt{};
        if (!exchange.answer->ReadSome(exchange.bytes.data(), size, arrived)) {
            exchange.end = exchange.transport->Failed("read", ::GetLastError());
            arrived = 0;
        }
        exchange.bytes.resize(arrived);
    });
    if (read.end != AttemptEnd::Done) return read;
    const std::vector<char>& bytes = m_thread.Owned().bytes;
    got = static_cast<DWORD>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), buffer);
    return read;
}

}  // namespace net
