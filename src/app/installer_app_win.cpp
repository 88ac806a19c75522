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
    CInstallerDlg dialog(nullptr);
    dialog.DoModal();
    // Jobs are not waited for and may still use the window object: end the
    // process while it is alive rather than free it under them.
    ::ExitProcess(0);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    theApp.InitInstance();
    return 0;
}
