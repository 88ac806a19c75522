// Unattended requests over WinHTTP: one session for the run, the proxy
// ChooseProxy picks (the machine's where nothing else is set, which SYSTEM
// needs), Windows' sign-in only for a proxy IT named, never a prompt.
#include <windows.h>
#include <winhttp.h>

#include <cstring>
#include <cwchar>
#include <map>
#include <mutex>

#include "net/proxy_choice.h"
#include "net/request_win.h"
#include "net/secure_protocols.h"
#include "net/transport_win.h"
#include "sys/handle_win.h"
#include "sys/log.h"
#include "sys/os_version.h"
#include "sys/platform.h"
#include "sys/settings.h"
#include "sys/utf8.h"

namespace net {

namespace {

struct CWinHttpTraits {
    static HINTERNET Invalid() { return nullptr; }
    static void Close(HINTERNET h) { ::WinHttpCloseHandle(h); }
};
using CWinHttpHandle = sys::CUniqueHandle<CWinHttpTraits, HINTERNET>;

// What WinHTTP allocated for us with GlobalAlloc.
struct CGlobalTraits {
    static wchar_t* Invalid() { return nullptr; }
    static void Close(wchar_t* p) { ::GlobalFree(p); }
};
using CGlobalText = sys::CUniqueHandle<CGlobalTraits, wchar_t*>;

std::wstring Text(const CGlobalText& text) { return text.Valid() ? std::wstring(text.Get()) : std::wstring(); }

DWORD QueryOf(Header header) {
    switch (header) {
    case Header::ContentLength: return WINHTTP_QUERY_CONTENT_LENGTH;
    case Header::ContentRange: return WINHTTP_QUERY_CONTENT_RANGE;
    case Header::ETag: return WINHTTP_QUERY_ETAG;
    case Header::LastModified: return WINHTTP_QUERY_LAST_MODIFIED;
    case Header::AcceptRanges: return WINHTTP_QUERY_ACCEPT_RANGES;
    case Header::RetryAfter: return WINHTTP_QUERY_RETRY_AFTER;
    case Header::Location: break;
    }
    return WINHTTP_QUERY_LOCATION;
}

// Request, then connection: closed in that order.
class CWinHttpAnswer : public IAnswer {
public:
    CWinHttpHandle connection, request;
    DWORD status = 0;
    DWORD secureFailure = 0;  // why the secure channel failed, from the callback

    DWORD Status() const override { return status; }
    std::string HeaderValue(Header header) const override {
        wchar_t value[2048] = {};
        DWORD size = sizeof value - sizeof(wchar_t);
        if (!::WinHttpQueryHeaders(request.Get(), QueryOf(header), WINHTTP_HEADER_NAME_BY_INDEX, value, &size,
                                   WINHTTP_NO_HEADER_INDEX))
            return std::string();
        return WideToUtf8(std::wstring(value, size / sizeof(wchar_t)));
    }
    bool ReadSome(char* buffer, DWORD size, DWORD& got) override {
        got = 0;
        DWORD available = 0;
        if (!::WinHttpQueryDataAvailable(request.Get(), &available)) return false;
        return available == 0 || ::WinHttpReadData(request.Get(), buffer, available < size ? available : size, &got);
    }
};

std::wstring MachineProxy() {
    WINHTTP_PROXY_INFO info = {};
    if (!::WinHttpGetDefaultProxyConfiguration(&info)) return std::wstring();
    const CGlobalText proxy(info.lpszProxy), bypass(info.lpszProxyBypass);
    return info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY ? Text(proxy) : std::wstring();
}

ProxyFacts ReadProxyFacts() {
    ProxyFacts facts;
    facts.given = g_settings.run.proxy;
    // Windows 8.1 and later find the proxy themselves, the machine's and the user's.
    facts.automaticOffered = AtLeast(ClassifyOsVersion(KernelVersion()), WindowsVersion::Win81);
    facts.machineProxy = MachineProxy();
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user = {};
    if (::WinHttpGetIEProxyConfigForCurrentUser(&user)) {
        const CGlobalText script(user.lpszAutoConfigUrl), proxy(user.lpszProxy), bypass(user.lpszProxyBypass);
        facts.userAutoDetect = user.fAutoDetect != FALSE;
        facts.userAutoConfigUrl = Text(script);
        facts.userProxy = Text(proxy);
        facts.userBypass = Text(bypass);
    }
    return facts;
}

std::wstring AgentName() {
    const std::wstring exe = sys::ExecutablePath();
    const auto slash = exe.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? exe : exe.substr(slash + 1);
    return name.substr(0, name.find_last_of(L'.'));
}

void Drain(HINTERNET request) {
    char chunk[4096];
    DWORD got = 0;
    while (::WinHttpReadData(request, chunk, sizeof chunk, &got) && got > 0) {}
}

std::wstring Hex(DWORD value) {
    wchar_t text[9] = {};
    ::swprintf(text, 9, L"%08lX", static_cast<unsigned long>(value));
    return text;
}

void SetNumber(HINTERNET handle, DWORD option, DWORD value) { ::WinHttpSetOption(handle, option, &value, sizeof value); }

// Synchronous requests call back on the calling thread, before the send returns.
void CALLBACK NoteSecureFailure(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information, DWORD length) {
    if (status == WINHTTP_CALLBACK_STATUS_SECURE_FAILURE && context && information && length >= sizeof(DWORD))
        *reinterpret_cast<DWORD*>(context) |= *static_cast<const DWORD*>(information);
}

void WatchSecureFailure(HINTERNET request, DWORD* flags) {
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(flags);
    ::WinHttpSetOption(request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
    ::WinHttpSetStatusCallback(request, NoteSecureFailure, WINHTTP_CALLBACK_FLAG_SECURE_FAILURE, 0);
}

// The session a host's requests go through, and whether its proxy came from
// the user's script.
struct CHostSession {
    HINTERNET session = nullptr;
    bool scripted = false;
};

// The run's WinHTTP sessions: the one the proxy choice opens, looked up once,
// and, where the user's script names a proxy for a host (asked once per
// host), one for that proxy; all closed with the process.
class CRunSession {
public:
    static CRunSession& Get() {
        static CRunSession session;
        return session;
    }
    bool Valid() const { return m_session.Valid(); }
    const ProxyChoice& Choice() const { return m_choice; }

    CHostSession For(const UrlParts& url) {
        if (m_choice.way != ProxyWay::UserScript) return {m_session.Get(), false};
        const std::wstring key = url.host + L":" + std::to_wstring(url.port);
        {
            const std::lock_guard<std::mutex> guard(m_lock);
            const auto known = m_hosts.find(key);
            if (known != m_hosts.end()) return known->second;
        }
        const CHostSession found = AskScript(url);
        const std::lock_guard<std::mutex> guard(m_lock);
        return m_hosts.emplace(key, found).first->second;
    }

private:
    CRunSession() : m_choice(ChooseProxy(ReadProxyFacts())) {
        const bool named = m_choice.way == ProxyWay::Given || m_choice.way == ProxyWay::User ||
                           (m_choice.way == ProxyWay::UserScript && !m_choice.proxy.empty());
        const DWORD access = named ? WINHTTP_ACCESS_TYPE_NAMED_PROXY
                             : m_choice.way == ProxyWay::Automatic ? WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY
                                                                    : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY;
        m_session = Open(access, named ? m_choice.proxy : std::wstring(), named ? m_choice.bypass : std::wstring());
        sys::Log(L"proxy: " + DescribeProxy(m_choice) + (m_session.Valid() ? L"" : L"; no WinHTTP session could be opened"));
    }

    static CWinHttpHandle Open(DWORD access, const std::wstring& proxy, const std::wstring& bypass) {
        CWinHttpHandle session(::WinHttpOpen(AgentName().c_str(), access,
                                             proxy.empty() ? WINHTTP_NO_PROXY_NAME : proxy.c_str(),
                                             bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : bypass.c_str(), 0));
        if (!session.Valid()) return session;
        if (const DWORD protocols = SecureProtocolsFor(ClassifyOsVersion(KernelVersion()))) {
            SetNumber(session.Get(), WINHTTP_OPTION_SECURE_PROTOCOLS, protocols);
            static std::once_flag said;
            std::call_once(said, [] {
                sys::Log(L"WinHTTP is told to offer TLS 1.1 and 1.2 (this Windows offers TLS 1.0 alone by default)");
            });
        }
        return session;
    }

    // The user's auto-configuration (WPAD or a script) for the host; a
    // script's server is first asked without Windows' sign-in, and with it
    // only when it asks for one, as the WinHTTP documentation advises.
    CHostSession AskScript(const UrlParts& url) {
        WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user = {};
        if (!::WinHttpGetIEProxyConfigForCurrentUser(&user)) return {m_session.Get(), false};
        const CGlobalText script(user.lpszAutoConfigUrl), proxy(user.lpszProxy), bypass(user.lpszProxyBypass);
        WINHTTP_AUTOPROXY_OPTIONS automatic = {};
        automatic.dwFlags = (user.fAutoDetect ? WINHTTP_AUTOPROXY_AUTO_DETECT : 0) |
                            (script.Valid() ? WINHTTP_AUTOPROXY_CONFIG_URL : 0);
        automatic.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
        automatic.lpszAutoConfigUrl = script.Get();
        const std::wstring address = L"https://" + url.host + L":" + std::to_wstring(url.port) + L"/";
        WINHTTP_PROXY_INFO info = {};
        automatic.fAutoLogonIfChallenged = FALSE;
        BOOL asked = ::WinHttpGetProxyForUrl(m_session.Get(), address.c_str(), &automatic, &info);
        if (!asked && ::GetLastError() == ERROR_WINHTTP_LOGIN_FAILURE) {
            automatic.fAutoLogonIfChallenged = TRUE;
            asked = ::WinHttpGetProxyForUrl(m_session.Get(), address.c_str(), &automatic, &info);
        }
        if (!asked) {
            sys::Log(L"this user's automatic proxy configuration gave no proxy for " + url.host + L" (error " +
                     std::to_wstring(::GetLastError()) + L"): " +
                     (m_choice.proxy.empty() ? std::wstring(L"the machine's, if any") : m_choice.proxy));
            return {m_session.Get(), false};
        }
        const CGlobalText chosen(info.lpszProxy), chosenBypass(info.lpszProxyBypass);
        const std::wstring named = info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY ? Text(chosen) : std::wstring();
        sys::Log(L"this user's automatic proxy configuration names for " + url.host + L": " +
                 (named.empty() ? std::wstring(L"no proxy") : named));
        const std::lock_guard<std::mutex> guard(m_lock);
        CWinHttpHandle& session = m_scripted[named];
        if (!session.Valid())
            session = Open(named.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY, named,
                           Text(chosenBypass));
        return {session.Valid() ? session.Get() : m_session.Get(), session.Valid()};
    }

    ProxyChoice m_choice;
    CWinHttpHandle m_session;
    std::mutex m_lock;
    std::map<std::wstring, CHostSession> m_hosts;
    std::map<std::wstring, CWinHttpHandle> m_scripted;  // by the proxy a script named ("": direct)
};

class CWinHttpTransport : public ITransport {
public:
    explicit CWinHttpTransport(const CGetOptions&) : m_run(CRunSession::Get()) {}
    bool Valid() const { return m_run.Valid(); }

    Attempt Send(const UrlParts& url, const CGetOptions& options, bool checkRevocation,
                 std::unique_ptr<IAnswer>& answer) override {
        const CHostSession host = m_run.For(url);
        auto get = std::make_unique<CWinHttpAnswer>();
        get->connection.Reset(::WinHttpConnect(host.session, url.host.c_str(), static_cast<INTERNET_PORT>(url.port), 0));
        if (!get->connection.Valid()) return Failed("WinHttpConnect", ::GetLastError());
        // Never from a cache; every redirect is checked by us.
        get->request.Reset(::WinHttpOpenRequest(get->connection.Get(), L"GET", url.object.c_str(), nullptr,
                                                WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                WINHTTP_FLAG_SECURE | WINHTTP_FLAG_REFRESH));
        if (!get->request.Valid()) return Failed("WinHttpOpenRequest", ::GetLastError());
        const HINTERNET request = get->request.Get();
        // Name resolution without a limit of its own; the connection and every wait for data with theirs.
        const int connect = static_cast<int>(options.connectTimeoutMs), stall = static_cast<int>(options.stallTimeoutMs);
        ::WinHttpSetTimeouts(request, 0, connect, stall, stall);
        SetNumber(request, WINHTTP_OPTION_REDIRECT_POLICY, WINHTTP_OPTION_REDIRECT_POLICY_NEVER);
        // Windows' sign-in is never sent to a server of its own accord (the documented default,
        // set in case a policy changed it): a download host that asks gets nothing.
        SetNumber(request, WINHTTP_OPTION_AUTOLOGON_POLICY, WINHTTP_AUTOLOGON_SECURITY_LEVEL_MEDIUM);
        if (checkRevocation) SetNumber(request, WINHTTP_OPTION_ENABLE_FEATURE, WINHTTP_ENABLE_SSL_REVOCATION);
        WatchSecureFailure(request, &get->secureFailure);
        for (const std::wstring& header : options.headers)
            ::WinHttpAddRequestHeaders(request, header.c_str(), static_cast<DWORD>(header.size()),
                                       WINHTTP_ADDREQ_FLAG_ADD_IF_NEW);
        for (bool signedIn = false;;) {
            if (!::WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
                return Failed("WinHttpSendRequest", ::GetLastError(), get->secureFailure);
            if (!::WinHttpReceiveResponse(request, nullptr)) return Failed("WinHttpReceiveResponse", ::GetLastError());
            DWORD size = sizeof get->status;
            ::WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                  WINHTTP_HEADER_NAME_BY_INDEX, &get->status, &size, WINHTTP_NO_HEADER_INDEX);
            if (get->status != HTTP_STATUS_PROXY_AUTH_REQ) break;
            if (!MaySignInToProxy(m_run.Choice(), host.scripted))
                return EndAttempt(AttemptEnd::ProxyRefused, L"a proxy that automatic configuration found wants credentials: "
                                                         L"Windows' sign-in goes only to a proxy IT named");
            if (signedIn || !SignInToProxy(request))
                return EndAttempt(AttemptEnd::ProxyRefused, signedIn ? L"the proxy refused the request (407)"
                                                                  : L"the proxy wants credentials and nobody may be asked for them");
            signedIn = true;
        }
        answer = std::move(get);
        return Attempt{};
    }

    Attempt Failed(const char* step, DWORD error) const override { return Failed(step, error, 0); }
    Attempt Failed(const char* step, DWORD error, DWORD secureFailure) const {
        sys::Log(L"Download error : " + ErrorText(L"winhttp.dll", error) + L" (" +
                 std::wstring(step, step + std::strlen(step)) + L")" +
                 (secureFailure ? L", certificate flags 0x" + Hex(secureFailure) : std::wstring()));
        return Attempt{EndOfWinHttpError(error, secureFailure), 0, -1, error};
    }

private:
    // Windows' sign-in as this process, where the proxy takes it; a password
    // nobody could give is never asked for.
    static bool SignInToProxy(HINTERNET request) {
        DWORD supported = 0, first = 0, target = 0;
        if (!::WinHttpQueryAuthSchemes(request, &supported, &first, &target)) return false;
        const DWORD scheme = (supported & WINHTTP_AUTH_SCHEME_NEGOTIATE) ? WINHTTP_AUTH_SCHEME_NEGOTIATE
                             : (supported & WINHTTP_AUTH_SCHEME_NTLM)    ? WINHTTP_AUTH_SCHEME_NTLM
                                                                         : 0;
        if (scheme == 0) return false;
        Drain(request);
        return ::WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_PROXY, scheme, nullptr, nullptr, nullptr) != FALSE;
    }

    CRunSession& m_run;
};

}  // namespace

std::unique_ptr<ITransport> OpenWinHttpTransport(const CGetOptions& options) {
    return OpenedTransport<CWinHttpTransport>(options, "WinHttpOpen");
}

}  // namespace net
