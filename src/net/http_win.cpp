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

constexpr DWORD kHttpConnectFlags = INTERNET_FLAG_KEEP_CONNECTION;
constexpr DWORD kHttpsConnectFlags = INTERNET_FLAG_SECURE | INTERNET_FLAG_KEEP_CONNECTION;
constexpr DWORD kHttpRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
// The package is run elevated: the certificate must really name the host.
constexpr DWORD kHttpsRequestFlags = kHttpRequestFlags | INTERNET_FLAG_SECURE;

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

CInternetHandle OpenSession(DWORD connectTimeoutMs) {
    CInternetHandle session(::InternetOpenW(AgentName().c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (session.Valid()) {
        DWORD timeout = connectTimeoutMs, retries = 1;
        ::InternetSetOptionW(session.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
        ::InternetSetOptionW(session.Get(), INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
    }
    return session;
}

// "Download error : " and the system's text of the error, to the debugger.
void TraceInternetError(DWORD error) {
    wchar_t text[256] = {};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    ::GetModuleHandleW(L"wininet.dll"), error, 0, text, 255, nullptr);
    if (length == 0)
        length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                  text, 255, nullptr);
    if (length == 0) std::swprintf(text, 255, L"error %lu", error);
    sys::DebugOutput("Download error : ");
    sys::DebugOutput(text);
}

// Connection and GET request for the parts; on https only a valid certificate for the host passes.
bool OpenRequest(HINTERNET session, const CUrlParts& parts, CInternetHandle& connection, CInternetHandle& request) {
    const bool plain = parts.scheme == INTERNET_SCHEME_HTTP;
    connection.Reset(::InternetConnectW(session, parts.host.c_str(), parts.port, nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, plain ? kHttpConnectFlags : kHttpsConnectFlags, 1));
    if (!connection.Valid()) return false;
    request.Reset(::HttpOpenRequestW(connection.Get(), L"GET", parts.object.c_str(), L"HTTP/1.0", nullptr, nullptr,
                                     plain ? kHttpRequestFlags : kHttpsRequestFlags, 1));
    return request.Valid();
}

DWORD StatusCode(HINTERNET request) {
    DWORD status = 0, size = sizeof status;
    ::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
    return status;
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
    if (!::InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &got)) {
        TraceInternetError(::GetLastError());
        return false;
    }
    while (got > 0) {
        DWORD written = 0;
        if (!::WriteFile(file, buffer.data(), got, &written, nullptr) || written != got) return false;
        done += written;
        if (!::InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &got)) {
            TraceInternetError(::GetLastError());
            return false;
        }
        if (total != 0) progress(static_cast<int>(done * 100 / total));
    }
    return total == 0 || done >= total;  // fewer bytes than announced: cut off
}

}  // namespace

bool HttpGetJson(const std::wstring& url, std::string& body) {
    CInternetHandle session = OpenSession(10000);
    CUrlParts parts;
    if (!session.Valid() || !CrackUrl(url, parts)) return false;
    if (parts.scheme != INTERNET_SCHEME_HTTP && parts.scheme != INTERNET_SCHEME_HTTPS) return false;

    CInternetHandle connection, request;
    if (!OpenRequest(session.Get(), parts, connection, request)) {
        TraceInternetError(::GetLastError());
        return false;
    }
    for (const wchar_t* header : {L"Accept: */*,application/json", L"Accept-Charset:UTF8",
                                  L"Accept-Language: zh-cn;q=0.8,en;q=0.6,ja;q=0.4",
                                  L"Content-Type:application/json"})
        ::HttpAddRequestHeadersW(request.Get(), header, static_cast<DWORD>(std::wcslen(header)),
                                 HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    if (!::HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0)) {
        TraceInternetError(::GetLastError());
        return false;
    }
    const DWORD status = StatusCode(request.Get());
    if (status == 0) {  // the server went away without a status line: no answer
        TraceInternetError(ERROR_HTTP_INVALID_SERVER_RESPONSE);
        return false;
    }
    std::printf("HTTP_STATUS_code:%d\n", static_cast<int>(status));
    std::fflush(stdout);

    std::string collected;
    char chunk[1024];
    DWORD got = 0;
    for (;;) {
        if (!::InternetReadFile(request.Get(), chunk, sizeof chunk, &got)) {
            TraceInternetError(::GetLastError());
            return false;
        }
        if (got == 0) break;
        if (collected.size() + got > kMaxAnswerBytes) return false;  // no answer of ours is this long
        collected.append(chunk, got);
    }
    body.swap(collected);
    return true;
}

bool DownloadFile(const std::wstring& url, const std::wstring& path, const std::function<void(int)>& progress) {
    CInternetHandle session = OpenSession(3000);
    CUrlParts parts;
    if (!session.Valid() || !CrackUrl(url, parts)) return false;
    CInternetHandle connection, request;
    if (!OpenRequest(session.Get(), parts, connection, request)) {
        TraceInternetError(::GetLastError());
        return false;
    }
    if (!::HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0)) {
        TraceInternetError(::GetLastError());
        return false;
    }
    if (StatusCode(request.Get()) != 200) return false;

    CTempFile temp(path);
    if (temp.Path().empty()) return false;
    {
        sys::CFileHandle file(::CreateFileW(temp.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid() || !CopyBody(request.Get(), file.Get(), ContentLength(request.Get()), progress))
            return false;
    }
    progress(100);
    ::Sleep(500);
    return temp.MoveTo(path);
}
