#include "app/installer_app.h"

#include <windows.h>
#include <commctrl.h>

#include "app/installer_dlg.h"

namespace {
CInstallerApp theApp;
}

bool CInstallerApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, 0xFF};
    ::InitCommonControlsEx(&controls);
    ::RegisterApplicationRestart(nullptr, 0);  // restart only: no recovery, no autosave
    const fw::CGdiplusSession gdiplus;
    CInstallerDlg dialog(nullptr);
    dialog.DoModal();
    // Jobs are not waited for and may still use the window object: end the
    // process while it is alive rather than free it under them.
    ::ExitProcess(0);
}

namespace {
// Before any DLL is loaded on demand: from System32 only, never from the
// program's folder or the current one. Looked up, not imported, because
// Windows 7 has it only with an update.
void LoadDllsFromSystem32Only() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryW(L"");
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LoadDllsFromSystem32Only();
    theApp.InitInstance();
    return 0;
}
