// /passive: the window starts the chosen jobs itself, one after another,
// asks nothing, cannot be closed meanwhile, and closes itself after them.
#include "app/installer_dlg.h"

#include "install/job_thread.h"
#include "install/system_win.h"
#include "quiet/quiet_run.h"
#include "sys/log.h"
#include "sys/settings.h"

void CInstallerDlg::RunPassively() { m_passive = true; }

void CInstallerDlg::StartPassiveRun() {
    if (m_passiveRunning.exchange(true)) return;
    for (const Job& job : kJobs)  // nothing to click
        if (Offered(job)) ::EnableWindow(m_buttons[JobIndex(job.id)].GetSafeHwnd(), FALSE);
    const HWND self = m_hWnd;
    const bool started = StartJob([this, self] {
        CWindowsJobSystem system(true, &m_passiveCancel);  // the installers are waited for, as quiet mode does
        m_passiveCode = RunQuiet(g_settings.run, system, [this](TranslationKey key) { return Word(key); },
                                 [](const std::wstring& text) { sys::Log(text); }, this);
        ::PostMessageW(self, kPassiveDoneMessage, 0, 0);
    });
    if (!started) {
        sys::Log(L"the jobs could not be started: no thread");
        m_passiveCode = kExitInstallerMissing;
        ::PostMessageW(self, kPassiveDoneMessage, 0, 0);
    }
}

void CInstallerDlg::OnPassiveRunDone() {
    m_passiveRunning = false;
    sys::Log(L"the jobs are done: the window closes in " + std::to_wstring(g_settings.passiveCloseMs) + L" ms");
    SetTimer(m_hWnd, kPassiveCloseTimer, g_settings.passiveCloseMs, nullptr);
}

void CInstallerDlg::ClosePassiveWindow() {
    ::KillTimer(m_hWnd, kPassiveCloseTimer);
    sys::Log(L"the window closed itself");
    EndDialog(IDOK);
}
