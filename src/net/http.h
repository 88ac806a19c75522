#pragma once
// The device service client over WinINet. Every call has its own session.
#include <functional>
#include <string>

// Both follow redirects only to https addresses, at most five in a row, and
// trace why a call failed.

// One GET with the service's request headers; on true, body holds the whole
// answer byte for byte, whatever the HTTP status (printed to standard output).
// False when the address is not https, the exchange failed, or the answer
// is larger than the service ever sends.
bool HttpGetJson(const std::wstring& url, std::string& body);

// Downloads an https url to path, reporting percentages when the size is announced.
// The file appears under its name only when it arrived whole; a failed
// transfer leaves any earlier file at path as it was.
bool DownloadFile(const std::wstring& url, const std::wstring& path,
                  const std::function<void(int)>& progress);
