#pragma once
// What the tests, the tour and the benchmarks share to find the installer's
// windows on the desktop, read them and take pictures of them.
#include <windows.h>

#include <functional>
#include <string>

namespace screen {

// The installer window's title for this build's version.
std::wstring InstallerTitle();

// A window's text, without hanging on a window that does not answer.
std::wstring WindowText(HWND hwnd);

// The first visible top-level window of process pid (0: of any process) that
// match accepts, polled up to waitMs; nullptr when none came.
HWND WaitForWindow(DWORD pid, const std::function<bool(HWND)>& match, DWORD waitMs);

// Whether top-level window front lies in front of window back (nearer the
// top of the desktop's order).
bool InFront(HWND front, HWND back);

// Saves what area of the device context source shows as a 24-bit BMP file.
bool SaveBmp(HDC source, const RECT& area, const std::wstring& path);

// The whole screen, or what of it a window's client area covers (under Wine
// without a window manager nobody draws the frame), as a BMP file.
bool SaveScreenBmp(const std::wstring& path);
bool SaveWindowBmp(HWND window, const std::wstring& path);

}  // namespace screen
