// The window's requests over WinINet: the user's own proxy and sign-in, and
// a credentials prompt owned by the window when a proxy wants a password.
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstring>

#include "net/request_win.h"
#include "net/transport_win.h"
#include "sys/handle_win.h"
#include "sys/log.h"
#include "sys/platform.h"
#include "sys/settings.h"

namespace net {

namespace {

struct CInternetTraits {
    static HINTERNET Invalid() { return nullptr; }
    static void Close(HINTERNET h) { ::InternetCloseHandle(h); }
};
using CInternetHandle = sys::CUniqueHandle<CInternetTraits, HINTERNET>;

constexpr DWORD kConnectFlags = INTERNET_FLAG_SECURE;
// What is fetched may end up running elevated: never from the cache, the
// certificate must really name the host, and every redirect is checked by us.
// And WinINet shows no dialog of its own: the one we may show is asked for.
// The request keeps its connection, which a proxy's NTLM or Negotiate
// handshake needs: then WinINet signs in as the logged-on user by itself.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_SECURE |
                                INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI | INTERNET_FLAG_KEEP_CONNECTION;
std::atomic<HWND> g_promptOwner{nullptr};

DWORD QueryOf(Header header) {
    switch (header) {
    case Header::ContentLength: return HTTP_QUERY_CONTENT_LENGTH;
    case Header::ContentRange: return HTTP_QUERY_CONTENT_RANGE;
    case Header::ETag: return HTTP_QUERY_ETAG;
    case Header::LastModified: return HTTP_QUERY_LAST_MODIFIED;
    case Header::AcceptRanges: return HTTP_QUERY_ACCEPT_RANGES;
    case Header::RetryAfter: return HTTP_QUERY_RETRY_AFTER;
    case Header::Location: break;
    }
    return HTTP_QUERY_LOCATION;
}

// Request, then connection: closed in that order.
class CInetAnswer : public IAnswer {
public:
    CInternetHandle connection;
    CInternetHandle request;
    DWORD status = 0;

    DWORD Status() const override { return status; }
    std::string HeaderValue(Header header) const override {
        char value[2048] = {};
        DWORD size = sizeof value - 1;
        if (!::HttpQueryInfoA(request.Get(), QueryOf(header), value, &size, nullptr)) return std::string();
        return std::string(value, size);
    }
    bool ReadSome(char* buffer, DWORD size, DWORD& got) override {
        got = 0;
        DWORD available = 0;
        if (!::InternetQueryDataAvailable(request.Get(), &available, 0, 0)) return false;
        return available == 0 || ::InternetReadFile(request.Get(), buffer, available < size ? available : size, &got);
    }
};

std::wstring AgentName() {
    const std::wstring exe = sys::ExecutablePath();
    const auto slash = exe.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? exe : exe.substr(slash + 1);
    return name.substr(0, name.find_last_of(L'.'));
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

void IgnoreRevocation(HINTERNET request) {
    DWORD flags = 0, size = sizeof flags;
    ::InternetQueryOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size);
    flags |= SECURITY_FLAG_IGNORE_REVOCATION;
    ::InternetSetOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
}

class CInetTransport : public ITransport {
public:
    explicit CInetTransport(const CGetOptions& options) {
        const std::wstring& proxy = g_settings.run.proxy;
        m_session.Reset(::InternetOpenW(AgentName().c_str(),
                                        proxy.empty() ? INTERNET_OPEN_TYPE_PRECONFIG : INTERNET_OPEN_TYPE_PROXY,
                                        proxy.empty() ? nullptr : proxy.c_str(), nullptr, 0));
        if (!m_session.Valid()) return;
        DWORD connect = options.connectTimeoutMs, stall = options.stallTimeoutMs, retries = 1;
        ::InternetSetOptionW(m_session.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
        ::InternetSetOptionW(m_session.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &stall, sizeof stall);
        ::InternetSetOptionW(m_session.Get(), INTERNET_OPTION_SEND_TIMEOUT, &stall, sizeof stall);
        ::InternetSetOptionW(m_session.Get(), INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
    }
    bool Valid() const { return m_session.Valid(); }

    Attempt Send(const UrlParts& url, const CGetOptions& options, bool checkRevocation,
                 std::unique_ptr<IAnswer>& answer) override {
        auto get = std::make_unique<CInetAnswer>();
        get->connection.Reset(::InternetConnectW(m_session.Get(), url.host.c_str(), static_cast<INTERNET_PORT>(url.port),
                                                 nullptr, nullptr, INTERNET_SERVICE_HTTP, kConnectFlags, 1));
        if (!get->connection.Valid()) return Failed("InternetConnect", ::GetLastError());
        get->request.Reset(::HttpOpenRequestW(get->connection.Get(), L"GET", url.object.c_str(), L"HTTP/1.1", nullptr,
                                              nullptr, kRequestFlags, 1));
        if (!get->request.Valid()) return Failed("HttpOpenRequest", ::GetLastError());
        const HINTERNET request = get->request.Get();
        // On the request too: not every WinINet passes the session's on to its requests.
        DWORD stall = options.stallTimeoutMs;
        ::InternetSetOptionW(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &stall, sizeof stall);
        ::InternetSetOptionW(request, INTERNET_OPTION_SEND_TIMEOUT, &stall, sizeof stall);
        if (!checkRevocation) IgnoreRevocation(request);
        for (const std::wstring& header : options.headers)
            ::HttpAddRequestHeadersW(request, header.c_str(), static_cast<DWORD>(header.size()), HTTP_ADDREQ_FLAG_ADD_IF_NEW);
        for (bool asked = false;;) {
            if (!::HttpSendRequestW(request, nullptr, 0, nullptr, 0)) return Failed("HttpSendRequest", ::GetLastError());
            get->status = StatusCode(request);
            if (get->status != HTTP_STATUS_PROXY_AUTH_REQ) break;
            // Unattended, nobody could answer the prompt: it must never open.
            if (g_settings.run.unattended)
                return EndAttempt(AttemptEnd::ProxyRefused, L"the proxy wants credentials and nobody may be asked for them");
            if (asked || !AskProxyCredentials(request))
                return EndAttempt(AttemptEnd::ProxyRefused, L"the proxy refused the request (407)");
            asked = true;
        }
        answer = std::move(get);
        return Attempt{};
    }

    Attempt Failed(const char* step, DWORD error) const override {
        sys::Log(L"Download error : " + ErrorText(L"wininet.dll", error) + L" (" +
                 std::wstring(step, step + std::strlen(step)) + L")");
        return Attempt{EndOfWinInetError(error), 0, -1, error};
    }

private:
    CInternetHandle m_session;
};

}  // namespace

std::unique_ptr<ITransport> OpenWinInetTransport(const CGetOptions& options) {
    return OpenedTransport<CInetTransport>(options, "InternetOpen");
}

void SetPromptOwner(HWND window) { g_promptOwner = window; }

}  // namespace net
