#pragma once
// The device service client, over WinINet in the window and WinHTTP
// unattended (net/request_win.h). Both follow redirects only to https
// addresses, at most five in a row; both try again, up to three attempts in
// all, after a dropped connection, a name not resolved or a server in trouble
// (5xx, 408, 429, honouring Retry-After up to 30 s); both trace why a call
// failed, and give up on a server that sends too little for too long.
// Limits and waits come from the settings (sys/settings.h).
#include <functional>
#include <string>

#include "net/transfer.h"
#include "sys/cancel_token.h"

// Both end within a moment as Cancelled once cancel (when given) is set,
// whatever they wait on: a retry's wait, the connection, a read.

// One GET with the service's request headers; on Ok, body holds the whole
// answer byte for byte, whatever the HTTP status (printed to standard output).
NetResult HttpGetJson(const std::wstring& url, std::string& body, const CCancelToken* cancel = nullptr);

// Downloads an https url to path, reporting its progress. A transfer that
// breaks is resumed where the server allows it (Range with If-Range on its
// strong validator); one that ends unfinished is kept in the work folder
// (net/partial_download.h), and the next download of the same address, in
// this run or a later one, continues it. The file appears under its name only
// when it arrived whole; a failed transfer leaves any earlier file at path as it was.
NetResult DownloadFile(const std::wstring& url, const std::wstring& path, const TransferProgressFn& progress,
                       const CCancelToken* cancel = nullptr);
