// The installer window's bars with their cancels, and its taskbar button.
#include "app/installer_dlg.h"

// The bar and its cancel while the job transfers, checks or unpacks; the
// bar moves per percent, and is busy while the size is not known.
void CInstallerDlg::ShowBar(const Job& job, const JobProgress& progress, bool newPhase) {
    JobView& view = m_views[JobIndex(job.id)];
    fw::CProgressCtrl& bar = m_bars[JobIndex(job.id)];
    CCancelButton& cancel = m_cancels[JobIndex(job.id)];
    if (!ShowsBar(progress.phase)) {
        if (::GetFocus() == cancel.GetSafeHwnd()) ::SetFocus(m_buttons[JobIndex(job.id)].GetSafeHwnd());
        bar.ShowWindow(SW_HIDE);
        cancel.ShowWindow(SW_HIDE);
        view.percent = -2;
        return;
    }
    const bool transfer = progress.phase == JobPhase::Downloading || progress.phase == JobPhase::Copying;
    if (newPhase && transfer) {  // a new transfer starts from nothing
        bar.SetMarquee(false);
        bar.SetPos(0);
        view.percent = 0;
    }
    const int percent = Determinate(progress) ? progress.transfer.Percent() : -1;
    if (percent != view.percent) {
        bar.SetMarquee(percent < 0);
        if (percent >= 0) bar.SetPos(percent);
        view.percent = percent;
    }
    bar.ShowWindow(SW_SHOW);
    cancel.ShowWindow(SW_SHOW);
}

void CInstallerDlg::UpdateTaskbar() {
    if (!m_taskbar) return;
    std::vector<JobProgress> active;
    for (const JobView& view : m_views)
        if (AtWork(view.progress.phase)) active.push_back(view.progress);
    m_taskbar->Show(TaskbarOf(active, m_failed));
}

// Explorer made the window's button (again, when it restarted): the list
// that shows progress on it is made anew, unless a test gave its own.
bool CInstallerDlg::OnTaskbarButtonCreated() {
    if (m_ownTaskbar) return false;
    StartCom();
    m_taskbar = OpenTaskbarButton(m_hWnd);
    UpdateTaskbar();
    return true;
}
