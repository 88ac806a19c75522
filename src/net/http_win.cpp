#include "net/http.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <vector>

#include "net/device_service.h"
#include "sys/handle_win.h"
#include "sys/platform.h"

namespace {

struct CInternetTraits {
    static HINTERNET Invalid() { return nullptr; }
    static void Close(HINTERNET h) { ::InternetCloseHandle(h); }
};
using CInternetHandle = sys::CUniqueHandle<CInternetTraits, HINTERNET>;

constexpr DWORD kConnectFlags = INTERNET_FLAG_SECURE | INTERNET_FLAG_KEEP_CONNECTION;
// What is fetched may end up running elevated: never from the cache, the
// certificate must really name the host, and every redirect is checked by us.
constexpr DWORD kRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTO_REDIRECT;
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

struct CGetOptions {
    DWORD connectTimeoutMs;
    DWORD receiveTimeoutMs;
    std::vector<const wchar_t*> headers;
};

CInternetHandle OpenSession(const CGetOptions& options) {
    CInternetHandle session(::InternetOpenW(AgentName().c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (session.Valid()) {
        DWORD connect = options.connectTimeoutMs, receive = options.receiveTimeoutMs, retries = 1;
        ::InternetSetOptionW(session.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
        ::InternetSetOptionW(session.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
        ::InternetSetOptionW(session.Get(), INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
    }
    return session;
}

// "Download error : ", the system's text of the error and the failing step,
// to the debugger. Always false, for the caller to return.
bool TraceFailure(const char* step, DWORD error) {
    wchar_t text[256] = {};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    ::GetModuleHandleW(L"wininet.dll"), error, 0, text, 255, nullptr);
    if (length == 0)
        length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                  text, 255, nullptr);
    if (length == 0) std::swprintf(text, 255, L"error %lu", error);
    sys::DebugOutput("Download error : ");
    sys::DebugOutput(text);
    sys::DebugOutput((std::string(" (") + step + ")\n").c_str());
    return false;
}

// What the client itself refuses or cannot use. Always false.
bool TraceRefusal(const std::wstring& what) {
    sys::DebugOutput((L"Download refused : " + what + L"\n").c_str());
    return false;
}

// One GET of an https address, sent; on https only a valid certificate for the host passes.
bool SendGet(HINTERNET session, const std::wstring& url, const CGetOptions& options, CInternetHandle& connection,
             CInternetHandle& request) {
    CUrlParts parts;
    if (!CrackUrl(url, parts)) return TraceRefusal(L"address not understood: " + url);
    if (parts.scheme != INTERNET_SCHEME_HTTPS) return TraceRefusal(L"not an https address: " + url);
    connection.Reset(::InternetConnectW(session, parts.host.c_str(), parts.port, nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, kConnectFlags, 1));
    if (!connection.Valid()) return TraceFailure("InternetConnect", ::GetLastError());
    request.Reset(::HttpOpenRequestW(connection.Get(), L"GET", parts.object.c_str(), L"HTTP/1.0", nullptr, nullptr,
                                     kRequestFlags, 1));
    if (!request.Valid()) return TraceFailure("HttpOpenRequest", ::GetLastError());
    for (const wchar_t* header : options.headers)
        ::HttpAddRequestHeadersW(request.Get(), header, static_cast<DWORD>(std::wcslen(header)),
                                 HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    if (!::HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0))
        return TraceFailure("HttpSendRequest", ::GetLastError());
    return true;
}

DWORD StatusCode(HINTERNET request) {
    DWORD status = 0, size = sizeof status;
    ::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
    return status;
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

// Request, then connection, then session: closed in that order.
struct CGet {
    CInternetHandle session, connection, request;
    DWORD status = 0;
};

// Sends a GET and follows redirects by hand, each to an https address only.
bool OpenCheckedGet(const std::wstring& url, const CGetOptions& options, CGet& get) {
    get.session = OpenSession(options);
    if (!get.session.Valid()) return TraceFailure("InternetOpen", ::GetLastError());
    std::wstring current = url;
    for (int redirects = 0;; ++redirects) {
        get.request.Reset();
        get.connection.Reset();
        if (!SendGet(get.session.Get(), current, options, get.connection, get.request)) return false;
        get.status = StatusCode(get.request.Get());
        if (!IsRedirect(get.status)) return true;
        if (redirects == kMaxRedirects) return TraceRefusal(L"too many redirects from " + url);
        current = RedirectTarget(get.request.Get(), current);
        if (current.empty()) return TraceRefusal(L"a redirect without a usable Location from " + url);
        sys::DebugOutput((L"redirected to " + current + L"\n").c_str());
    }
}

unsigned long long ContentLength(HINTERNET request) {
    wchar_t text[64] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (!::HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return 0;
    const long long value = std::wcstoll(text, nullptr, 10);
    return value > 0 ? static_cast<unsigned long long>(value) : 0;
}

// Deletes its file unless kept: a partial download never stays behind.
class CTempFile {
public:
    explicit CTempFile(const std::wstring& finalPath) {
        const auto slash = finalPath.find_last_of(L'\\');
        const std::wstring folder = slash == std::wstring::npos ? L"." : finalPath.substr(0, slash);
        wchar_t name[MAX_PATH] = {};
        if (::GetTempFileNameW(folder.c_str(), L"dl", 0, name)) m_path = name;
    }
    ~CTempFile() { if (!m_path.empty()) ::DeleteFileW(m_path.c_str()); }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;
    const std::wstring& Path() const { return m_path; }
    bool MoveTo(const std::wstring& path) {
        if (!::MoveFileExW(m_path.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
        m_path.clear();
        return true;
    }
private:
    std::wstring m_path;
};

bool CopyBody(HINTERNET request, HANDLE file, unsigned long long total, const std::function<void(int)>& progress) {
    std::vector<char> buffer(10240);
    unsigned long long done = 0;
    DWORD got = 0;
    if (!::InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &got))
        return TraceFailure("InternetReadFile", ::GetLastError());
    while (got > 0) {
        DWORD written = 0;
        if (!::WriteFile(file, buffer.data(), got, &written, nullptr) || written != got)
            return TraceFailure("WriteFile", ::GetLastError());
        done += written;
        if (!::InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &got))
            return TraceFailure("InternetReadFile", ::GetLastError());
        if (total != 0) progress(static_cast<int>(done * 100 / total));
    }
    if (total != 0 && done < total) return TraceRefusal(L"fewer bytes arrived than announced");
    return true;
}

}  // namespace

bool HttpGetJson(const std::wstring& url, std::string& body) {
    CGet get;
    const CGetOptions options{10000, 10000,
                              {L"Accept: */*,application/json", L"Accept-Charset:UTF8",
                               L"Accept-Language: zh-cn;q=0.8,en;q=0.6,ja;q=0.4", L"Content-Type:application/json"}};
    if (!OpenCheckedGet(url, options, get)) return false;
    if (get.status == 0)  // the server went away without a status line: no answer
        return TraceFailure("HttpQueryInfo", ERROR_HTTP_INVALID_SERVER_RESPONSE);
    std::printf("HTTP_STATUS_code:%d\n", static_cast<int>(get.status));
    std::fflush(stdout);

    std::string collected;
    char chunk[1024];
    DWORD got = 0;
    for (;;) {
        if (!::InternetReadFile(get.request.Get(), chunk, sizeof chunk, &got))
            return TraceFailure("InternetReadFile", ::GetLastError());
        if (got == 0) break;
        if (collected.size() + got > kMaxAnswerBytes) return TraceRefusal(L"answer larger than any of the service's");
        collected.append(chunk, got);
    }
    body.swap(collected);
    return true;
}

bool DownloadFile(const std::wstring& url, const std::wstring& path, const std::function<void(int)>& progress) {
    CGet get;
    if (!OpenCheckedGet(url, CGetOptions{3000, 30000, {}}, get)) return false;
    if (get.status != 200) return TraceRefusal(L"status " + std::to_wstring(get.status) + L" for " + url);

    CTempFile temp(path);
    if (temp.Path().empty()) return TraceFailure("GetTempFileName", ::GetLastError());
    {
        sys::CFileHandle file(::CreateFileW(temp.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) return TraceFailure("CreateFile", ::GetLastError());
        if (!CopyBody(get.request.Get(), file.Get(), ContentLength(get.request.Get()), progress)) return false;
    }
    progress(100);
    ::Sleep(500);
    return temp.MoveTo(path) || TraceFailure("MoveFileEx", ::GetLastError());
}
