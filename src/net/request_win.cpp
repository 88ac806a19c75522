#include "net/request_win.h"

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
Attempt SendHop(ITransport& transport, const std::wstring& url, const CGetOptions& options, CGet& get) {
    UrlParts parts;
    if (!SplitUrl(url, parts)) return Refusal(AttemptEnd::Refused, L"address not understood: " + url);
    if (!parts.https) return Refusal(AttemptEnd::Refused, L"not an https address: " + url);
    get.answer.reset();
    Attempt sent = transport.Send(parts, options, true, get.answer);
    if (RetryWithoutRevocation(sent, true)) {
        sys::Log(L"the revocation of the certificate of " + parts.host +
                 L" could not be checked (error " + std::to_wstring(sent.error) + L"): asking again without");
        get.answer.reset();
        sent = transport.Send(parts, options, false, get.answer);
    }
    return sent;
}

}  // namespace

std::unique_ptr<ITransport> OpenTransport(const CGetOptions& options) {
    return g_settings.httpLibrary == HttpLibrary::WinHttp ? OpenWinHttpTransport(options)
                                                          : OpenWinInetTransport(options);
}

Attempt Refusal(AttemptEnd end, const std::wstring& what) {
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

Attempt OpenCheckedGet(const std::wstring& url, const CGetOptions& options, CGet& get) {
    get.answer.reset();
    get.transport = OpenTransport(options);
    if (!get.transport) return Refusal(AttemptEnd::Dropped, L"no Internet session could be opened");
    std::wstring current = url;
    for (int redirects = 0;; ++redirects) {
        const Attempt sent = SendHop(*get.transport, current, options, get);
        // A server that went away before its status line gave no answer: worth another try.
        if (sent.end == AttemptEnd::Done && get.Status() == 0)
            return get.transport->Failed("HttpQueryInfo", kInvalidServerResponse);
        if (sent.end != AttemptEnd::Done || !IsRedirect(get.Status())) return sent;
        if (redirects == kMaxRedirects) return Refusal(AttemptEnd::Refused, L"too many redirects from " + url);
        const std::string location = get.answer->HeaderValue(Header::Location);
        current = ResolveLocation(current, Utf8ToWide(location));
        if (current.empty()) return Refusal(AttemptEnd::Refused, L"a redirect without a usable Location from " + url);
        sys::Log(L"redirected to " + current);
    }
}

}  // namespace net
