#pragma once
// One checked GET over WinINet: https only, redirects followed by hand to
// https addresses only, one credentials prompt for a proxy that asks, and
// every failure traced by the step that failed.
#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "net/transfer.h"
#include "sys/handle_win.h"

namespace net {

struct CInternetTraits {
    static HINTERNET Invalid() { return nullptr; }
    static void Close(HINTERNET h) { ::InternetCloseHandle(h); }
};
using CInternetHandle = sys::CUniqueHandle<CInternetTraits, HINTERNET>;

struct CGetOptions {
    DWORD connectTimeoutMs;
    DWORD stallTimeoutMs;  // longest wait for any data, headers included
    std::vector<std::wstring> headers;
};

// Request, then connection, then session: closed in that order.
struct CGet {
    CInternetHandle session, connection, request;
    DWORD status = 0;
};

// The window a proxy's credentials prompt belongs to (in front of it); none:
// the desktop's.
void SetPromptOwner(HWND window);

// Sends the GET; Done once an answer's status line has come (any status).
Attempt OpenCheckedGet(const std::wstring& url, const CGetOptions& options, CGet& get);

// Reads what has arrived, at most size bytes, waiting only until something
// has (got 0: the end). A server that sends a byte now and then is seen doing
// so, rather than waited for until the buffer is full.
bool ReadSome(HINTERNET request, char* buffer, DWORD size, DWORD& got);

// A response header as text; empty when absent.
std::string QueryHeader(HINTERNET request, DWORD query);

// How a failed WinINet call ends the attempt; the call is traced by name
// with the system's text of the error.
Attempt FailedCall(const char* step, DWORD error);
// What the client itself will not do; traced.
Attempt Refusal(AttemptEnd end, const std::wstring& what);

}  // namespace net
