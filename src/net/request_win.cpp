#include "sys/log.h"
#include "net/request_win.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "sys/platform.h"
#include "sys/settings.h"

namespace net {

namespace {

constexpr DWORD kConnectFlags = INTERNET_FLAG_SECURE;
// What is fetched may end up running elevated: never from the cache, the
// certificate must really name the host, and every redirect is checked by us.
// And WinINet shows no dialog of its own: the one we may show is asked for.
// The request keeps its connection, which a proxy's NTLM or Negotiate
// handshake needs: then WinINet signs in as the logged-on user by itself.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_SECURE |
                                INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI | INTERNET_FLAG_KEEP_CONNECTION;
std::atomic<HWND> g_promptOwner{nullptr};
constexpr int kMaxRedirects = 5;

struct CUrlParts {
    INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
    std::wstring host, object;
    INTERNET_PORT port = 0;
};

bool CrackUrl(const std::wstring& url, CUrlParts& parts) {
    wchar_t host[256] = {}, path[2048] = {}, extra[2048] = {};
    URL_COMPONENTSW components = {};
    components.dwStructSize = sizeof components;
    components.lpszHostName = host;
    components.dwHostNameLength = ARRAYSIZE(host);
    components.lpszUrlPath = path;
    components.dwUrlPathLength = ARRAYSIZE(path);
    components.lpszExtraInfo = extra;
    components.dwExtraInfoLength = ARRAYSIZE(extra);
    if (!::InternetCrackUrlW(url.c_str(), 0, 0, &components)) return false;
    parts.scheme = components.nScheme;
    parts.host = host;
    parts.object = std::wstring(path) + extra;
    if (parts.object.empty()) parts.object = L"/";
    parts.port = components.nPort;
    return true;
}

std::wstring AgentName() {
    const std::wstring exe = sys::ExecutablePath();
    const auto slash = exe.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? exe : exe.substr(slash + 1);
    return name.substr(0, name.find_last_of(L'.'));
}

CInternetHandle OpenSession(const CGetOptions& options) {
    CInternetHandle session(::InternetOpenW(AgentName().c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (session.Valid()) {
        DWORD connect = options.connectTimeoutMs, stall = options.stallTimeoutMs, retries = 1;
        ::InternetSetOptionW(session.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
        ::InternetSetOptionW(session.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &stall, sizeof stall);
        ::InternetSetOptionW(session.Get(), INTERNET_OPTION_SEND_TIMEOUT, &stall, sizeof stall);
        ::InternetSetOptionW(session.Get(), INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
    }
    return session;
}

AttemptEnd EndOfError(DWORD error) {
    switch (error) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED: return AttemptEnd::NameNotResolved;
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_INVALID_CERT:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
    case ERROR_INTERNET_SEC_CERT_NO_REV:
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
    case ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED:
        return AttemptEnd::SecureConnection;
    default: return AttemptEnd::Dropped;  // refused, reset, timed out, cut short
    }
}

bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The absolute address a redirect answer points to; empty when it names none.
std::wstring RedirectTarget(HINTERNET request, const std::wstring& base) {
    std::vector<wchar_t> location(2048);
    DWORD size = static_cast<DWORD>(location.size() * sizeof(wchar_t));
    if (!::HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location.data(), &size, nullptr)) return std::wstring();
    std::vector<wchar_t> combined(4096);
    DWORD length = static_cast<DWORD>(combined.size());
    if (!::InternetCombineUrlW(base.c_str(), location.data(), combined.data(), &length, ICU_NO_ENCODE))
        return std::wstring();
    return combined.data();
}

DWORD StatusCode(HINTERNET request) {
    DWORD status = 0, size = sizeof status;
    ::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
    return status;
}

void Drain(HINTERNET request) {
    char chunk[4096];
    DWORD got = 0;
    while (::InternetReadFile(request, chunk, sizeof chunk, &got) && got > 0) {}
}

// The system's credentials prompt for a proxy that asks; true when the user
// gave them and the request is to be sent again.
bool AskProxyCredentials(HINTERNET request) {
    Drain(request);
    const HWND owner = g_promptOwner.load();
    const DWORD answer = ::InternetErrorDlg(owner ? owner : ::GetDesktopWindow(), request, ERROR_INTERNET_INCORRECT_PASSWORD,
                                            FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_GENERATE_DATA |
                                                FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS,
                                            nullptr);
    return answer == ERROR_INTERNET_FORCE_RETRY;
}

// One hop: connect, open, add the headers and send, asking once for proxy
// credentials when the proxy wants them.
Attempt SendGet(HINTERNET session, const std::wstring& url, const CGetOptions& options, bool& askedProxy, CGet& get) {
    CUrlParts parts;
    if (!CrackUrl(url, parts)) return Refusal(AttemptEnd::Refused, L"address not understood: " + url);
    if (parts.scheme != INTERNET_SCHEME_HTTPS) return Refusal(AttemptEnd::Refused, L"not an https address: " + url);
    get.connection.Reset(::InternetConnectW(session, parts.host.c_str(), parts.port, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, kConnectFlags, 1));
    if (!get.connection.Valid()) return FailedCall("InternetConnect", ::GetLastError());
    get.request.Reset(::HttpOpenRequestW(get.connection.Get(), L"GET", parts.object.c_str(), L"HTTP/1.1", nullptr,
                                         nullptr, kRequestFlags, 1));
    if (!get.request.Valid()) return FailedCall("HttpOpenRequest", ::GetLastError());
    // On the request too: not every WinINet passes the session's on to its requests.
    DWORD stall = options.stallTimeoutMs;
    ::InternetSetOptionW(get.request.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &stall, sizeof stall);
    ::InternetSetOptionW(get.request.Get(), INTERNET_OPTION_SEND_TIMEOUT, &stall, sizeof stall);
    for (const std::wstring& header : options.headers)
        ::HttpAddRequestHeadersW(get.request.Get(), header.c_str(), static_cast<DWORD>(header.size()),
                                 HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    for (;;) {
        if (!::HttpSendRequestW(get.request.Get(), nullptr, 0, nullptr, 0))
            return FailedCall("HttpSendRequest", ::GetLastError());
        get.status = StatusCode(get.request.Get());
        if (get.status != HTTP_STATUS_PROXY_AUTH_REQ) return Attempt{};
        // Unattended, nobody could answer the prompt: it must never open.
        if (!g_settings.mayAskUser)
            return Refusal(AttemptEnd::ProxyRefused, L"the proxy wants credentials and nobody may be asked for them");
        if (askedProxy || !AskProxyCredentials(get.request.Get()))
            return Refusal(AttemptEnd::ProxyRefused, L"the proxy refused the request (407)");
        askedProxy = true;
    }
}

}  // namespace

Attempt FailedCall(const char* step, DWORD error) {
    wchar_t text[256] = {};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    ::GetModuleHandleW(L"wininet.dll"), error, 0, text, 255, nullptr);
    if (length == 0)
        length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                  text, 255, nullptr);
    if (length == 0) std::swprintf(text, 255, L"error %lu", error);
    std::wstring message = text;
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
    sys::Log(L"Download error : " + message + L" (" + std::wstring(step, step + std::strlen(step)) + L")");
    return Attempt{error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? AttemptEnd::NotSaved : EndOfError(error)};
}

Attempt Refusal(AttemptEnd end, const std::wstring& what) {
    sys::Log(L"Download refused : " + what);
    return Attempt{end};
}

void SetPromptOwner(HWND window) { g_promptOwner = window; }

bool ReadSome(HINTERNET request, char* buffer, DWORD size, DWORD& got) {
    got = 0;
    DWORD available = 0;
    if (!::InternetQueryDataAvailable(request, &available, 0, 0)) return false;
    return available == 0 || ::InternetReadFile(request, buffer, available < size ? available : size, &got);
}

std::string QueryHeader(HINTERNET request, DWORD query) {
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    if (!::HttpQueryInfoA(request, query, value, &size, nullptr)) return std::string();
    return std::string(value, size);
}

Attempt OpenCheckedGet(const std::wstring& url, const CGetOptions& options, CGet& get) {
    get.session = OpenSession(options);
    if (!get.session.Valid()) return FailedCall("InternetOpen", ::GetLastError());
    std::wstring current = url;
    bool askedProxy = false;
    for (int redirects = 0;; ++redirects) {
        get.request.Reset();
        get.connection.Reset();
        const Attempt sent = SendGet(get.session.Get(), current, options, askedProxy, get);
        // A server that went away before its status line gave no answer: worth another try.
        if (sent.end == AttemptEnd::Done && get.status == 0)
            return FailedCall("HttpQueryInfo", ERROR_HTTP_INVALID_SERVER_RESPONSE);
        if (sent.end != AttemptEnd::Done || !IsRedirect(get.status)) return sent;
        if (redirects == kMaxRedirects) return Refusal(AttemptEnd::Refused, L"too many redirects from " + url);
        current = RedirectTarget(get.request.Get(), current);
        if (current.empty()) return Refusal(AttemptEnd::Refused, L"a redirect without a usable Location from " + url);
        sys::Log(L"redirected to " + current);
    }
}

}  // namespace net
