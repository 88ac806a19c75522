#pragma once
// One checked GET, whichever library sends it: https only, redirects
// followed by hand to https addresses only, a revocation server that cannot
// be reached asked about once more without checking, and every failure
// traced by the step that failed. WinINet carries the window's requests (the
// user's proxy and sign-in), WinHTTP the unattended ones (the machine's
// proxy, as SYSTEM has no Internet Options). Neither library's header is
// included here: they clash.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "net/transfer.h"
#include "net/url.h"
#include "sys/cancel_token.h"

namespace net {

struct CGetOptions {
    DWORD connectTimeoutMs;
    DWORD stallTimeoutMs;  // longest wait for any data, headers included
    std::vector<std::wstring> headers;
    const CCancelToken* cancel = nullptr;  // ends the exchange early, blocked or not
};

enum class Header { ContentLength, ContentRange, ETag, LastModified, AcceptRanges, RetryAfter, Location };

// An answer whose status line has come, being read.
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
    // From any thread: ends the exchange, and a call blocked in it, at once.
    virtual void Abort() = 0;
};

// One library's session, for one exchange.
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

// The transport first: its session outlives the answer.
struct CGet {
    std::unique_ptr<ITransport> transport;
    std::unique_ptr<IAnswer> answer;
    DWORD Status() const { return answer ? answer->Status() : 0; }
};

// The library this run's requests go through, with a new session: WinHTTP
// when the settings say so (unattended runs), else WinINet.
std::unique_ptr<ITransport> OpenTransport(const CGetOptions& options);

// Sends the GET through a new session; Done once an answer's status line has
// come (any status).
Attempt OpenCheckedGet(const std::wstring& url, const CGetOptions& options, CGet& get);

// What the client itself will not do; traced.
Attempt Refusal(AttemptEnd end, const std::wstring& what);

// The system's text for a library's error, without its line break.
std::wstring ErrorText(const wchar_t* module, DWORD error);

// The window a proxy's credentials prompt belongs to (in front of it); none:
// the desktop's. Only WinINet, in the window, ever shows one.
void SetPromptOwner(HWND window);

}  // namespace net
