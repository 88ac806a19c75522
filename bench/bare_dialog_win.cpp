// The yardstick for the start-up benchmark: a bare Win32 dialog of the
// installer window's size, with nothing to load and nothing to ask.
#include <windows.h>
#ifdef BARE_WITH_COMMON_CONTROLS
#include <commctrl.h>
#endif

#include <cstring>

namespace {
INT_PTR CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wp, LPARAM) {
    if (message == WM_INITDIALOG) {
        ::SetWindowTextW(hwnd, L"Bare dialog");
        ::SetWindowPos(hwnd, nullptr, 0, 0, 420, 340, SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wp) == IDCANCEL) {
        ::EndDialog(hwnd, 0);
        return TRUE;
    }
    return FALSE;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
#ifdef BARE_WITH_COMMON_CONTROLS
    // As the installer starts: the manifest's comctl32 v6, loaded.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
#endif
    alignas(DWORD) BYTE buffer[64] = {};
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(buffer);
    dialog->style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    dialog->cx = 181;
    dialog->cy = 156;  // menu, class and title follow as empty strings (zeroed)
    return static_cast<int>(::DialogBoxIndirectParamW(instance, dialog, nullptr, BareProc, 0));
}
