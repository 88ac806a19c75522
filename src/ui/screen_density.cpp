#include "ui/screen_density.h"

#include "framework/gdi.h"

int WindowDpi(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    // Not in Windows 7 and 8: looked up, never imported.
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (dpiForWindow && window)
        if (const UINT dpi = dpiForWindow(window)) return static_cast<int>(dpi);
    fw::CClientDC screen(nullptr);
    const int dpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

int ArtworkPercent(int dpi) {
    const int percent = dpi * 100 / 96;
    return percent <= 100 ? 100 : percent <= 150 ? 150 : 200;
}

UINT ArtworkFor(int dpi, const UINT (&drawings)[3]) { return drawings[(ArtworkPercent(dpi) - 100) / 50]; }

void TakeOverDialogScaling(HWND dialog) {
    using Behaviour = BOOL(WINAPI*)(HWND, int, int);
    constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
    const auto set = reinterpret_cast<Behaviour>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetDialogDpiChangeBehavior")));
    if (set) set(dialog, kDisableAll, kDisableAll);
}
