#pragma once
// One checked GET, whichever library sends it: https only, redirects
// followed by hand to https addresses only, a revocation server that cannot
// be reached asked about once more without checking, and every failure
// traced by the step that failed. WinINet carries the window's requests (the
// user's proxy and sign-in), WinHTTP the unattended ones (the machine's
// proxy, as SYSTEM has no Internet Options). Every call of either library is
// made on the request's own thread, which alone closes its handles: a cancel
// frees the job at once and never closes a handle a call may be in. Neither
// library's header is included here: they clash.
#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "net/transfer.h"
#include "net/url.h"
#include "sys/cancel_token.h"
#include "sys/owning_thread.h"

namespace net {

struct CGetOptions {
    DWORD connectTimeoutMs;
    DWORD stallTimeoutMs;  // longest wait for any data, headers included
    std::vector<std::wstring> headers;
    const CCancelToken* cancel = nullptr;  // frees the caller early, blocked or not
};

enum class Header { ContentLength, ContentRange, ETag, LastModified, AcceptRanges, RetryAfter, Location };
constexpr std::size_t kHeaderCount = static_cast<std::size_t>(Header::Location) + 1;

// An answer whose status line has come, being read (on the request's thread).
class IAnswer {
public:
    virtual ~IAnswer() = default;
    virtual DWORD Status() const = 0;
    // Empty when absent.
    virtual std::string HeaderValue(Header header) const = 0;
    // Reads what has arrived, at most size bytes, waiting only until
    // something has (got 0: the end). A server that sends a byte now and then
    // is seen doing so, rather than waited for until the buffer is full.
    // False with the library's error in GetLastError().
    virtual bool ReadSome(char* buffer, DWORD size, DWORD& got) = 0;
};

// One library's session (on the request's thread).
class ITransport {
public:
    virtual ~ITransport() = default;
    // One hop: connects, opens and sends the GET (signing in to a proxy as
    // the library may); Done once an answer's status line has come.
    virtual Attempt Send(const UrlParts& url, const CGetOptions& options, bool checkRevocation,
                         std::unique_ptr<IAnswer>& answer) = 0;
    // How a failed call of this library ends the attempt; traced by name
    // with the system's text of the error.
    virtual Attempt Failed(const char* step, DWORD error) const = 0;
};

// The library this run's requests go through: WinHTTP when the settings say
// so (unattended runs), else WinINet with a session of its own.
std::unique_ptr<ITransport> OpenTransport(const CGetOptions& options);

// A GET whose handles live on a thread of their own. The status and the
// headers are read there once the answer has come and kept here.
class CGet {
public:
    // Sends the GET through a new session, following redirects; Done once
    // an answer's status line has come (any status), Cancelled at once when
    // options.cancel is set meanwhile.
    Attempt Open(const std::wstring& url, const CGetOptions& options);
    DWORD Status() const { return m_status; }
    const std::string& HeaderValue(Header header) const { return m_headers[static_cast<std::size_t>(header)]; }
    // What has arrived, up to size bytes (got 0: the end); Done, or how a
    // failed read ends the attempt (traced), Cancelled at once on a cancel.
    Attempt ReadSome(char* buffer, DWORD size, DWORD& got);

private:
    struct CExchange {
        std::unique_ptr<ITransport> transport;  // first: its session outlives the answer
        std::unique_ptr<IAnswer> answer;
        Attempt end;
        std::vector<char> bytes;
    };
    Attempt Run(std::function<void(CExchange&)> work);

    COwningThread<CExchange> m_thread;
    const CCancelToken* m_cancel = nullptr;
    bool m_abandoned = false;
    DWORD m_status = 0;
    std::array<std::string, kHeaderCount> m_headers;
};

// What the client itself will not do; traced.
Attempt EndAttempt(AttemptEnd end, const std::wstring& what);

// The system's text for a library's error, without its line break.
std::wstring ErrorText(const wchar_t* module, DWORD error);

// The window a proxy's credentials prompt belongs to (in front of it); none:
// the desktop's. Only WinINet, in the window, ever shows one.
void SetPromptOwner(HWND window);

}  // namespace net
