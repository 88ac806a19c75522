// The installer window's status line: what the jobs are doing and came to,
// fitted to its three lines and told to screen readers.
#include "app/installer_dlg.h"

#include <algorithm>

#include "install/progress_text.h"
#include "install/telling.h"
#include "sys/log.h"
#include "ui/announce.h"
#include "ui/extra_msg.h"
#include "ui/product_font.h"
#include "ui/scale.h"

namespace {

constexpr unsigned long long kStatusEveryMs = 250;  // the status line changes at most this often

bool Failure(Outcome kind) {
    return kind != Outcome::Done && kind != Outcome::RestartNeeded && kind != Outcome::RestartStarted;
}

}  // namespace

void CInstallerDlg::ShowStatusText(const std::wstring& text) {
    OnWindowThread([&] { ShowStatusTextHere(text, true); });
}

void CInstallerDlg::ShowStatusTextHere(const std::wstring& text, bool announce) {
    sys::Log(L"status text: " + text);
    FitStatusFont(text);
    m_status.SetWindowText(text);
    if (announce) AnnounceTextChange(m_status.GetSafeHwnd(), m_liveRegion);
    // The static is transparent: hiding and showing it repaints the background
    // under it, so the new text never lies over the old.
    m_status.ShowWindow(SW_HIDE);
    m_status.ShowWindow(SW_SHOW);
}

// A status text that does not fit its three lines in this font gets the
// largest smaller size that does.
void CInstallerDlg::FitStatusFont(const std::wstring& text) {
    RECT area = m_status.GetClientRect();
    // The last line keeps 8 pixels (at 100 %) from the window's bottom edge.
    RECT status = {}, client = GetClientRect();
    ::GetWindowRect(m_status.GetSafeHwnd(), &status);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&status), 2);
    area.bottom = std::min<LONG>(area.bottom, client.bottom - Scaled(8, m_arrangement.dpi) - status.top);
    const auto fits = [&](HFONT font) {
        fw::CClientDC dc(m_status.GetSafeHwnd());
        fw::CSelectObject select(dc.Get(), font);
        RECT needed = {0, 0, area.right, 0};
        ::DrawTextW(dc.Get(), text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return needed.right <= area.right && needed.bottom <= area.bottom;
    };
    m_statusTenths = kProductFontTenths;
    m_statusFontInUse = m_font.Get();
    if (!text.empty() && !fits(m_font.Get())) {
        m_statusTenths = FittingFontTenths(m_arrangement.dpi, fits, m_statusFont);
        m_statusFontInUse = m_statusFont.Get();
    }
    m_status.SetFont(m_statusFontInUse, false);  // the static draws with its own font
}

// Runs on the calling job thread; owned by this window, which stays usable.
void CInstallerDlg::ShowNoInternetHint() {
    const std::wstring text = Word(kHintNoInternet);
    sys::Log(L"message: " + text);
    CExtraMsg message(m_hWnd, text);
    message.DoModal();
}

void CInstallerDlg::Tell(const Job& job, const JobOutcome& outcome) {
    bool message = false;
    OnWindowThread([&] { message = TellHere(job, outcome); });
    if (message) ShowNoInternetHint();  // modal here, on the job's thread
}

bool CInstallerDlg::TellHere(const Job& job, const JobOutcome& outcome) {
    m_failed = Failure(outcome.kind);
    UpdateTaskbar();
    const Telling telling = TellingOf(job, outcome, m_bluetoothOffered);
    LookAtAdapter();  // what the job did to the adapter shows above the commands
    if (!telling.status.empty()) ShowStatusTextHere(StatusText(telling, [this](TranslationKey key) { return Word(key); }), true);
    if (!telling.message || !m_passive) return telling.message;
    ShowStatusTextHere(Word(kHintNoInternet), true);  // nobody is asked to click
    return false;
}

void CInstallerDlg::Report(const JobProgress& progress) {
    // Handled on the window's thread, one report after the other.
    OnWindowThread([&] { OnProgress(progress); });
}

void CInstallerDlg::OnProgress(const JobProgress& progress) {
    const Job& job = JobOf(progress.job);
    const std::size_t i = JobIndex(job.id);
    JobView& view = m_views[i];
    const bool newPhase = progress.phase != view.progress.phase;
    if (newPhase && progress.phase != JobPhase::Ended && !AtWork(view.progress.phase)) m_failed = false;  // a new run
    view.progress = progress;
    if (job.bar) ShowBar(job, progress, newPhase);
    if (progress.phase == JobPhase::Ended) {
        // What the job came to is told next; a progress text must not stay meanwhile.
        if (view.statusOurs && newPhase) ShowStatusTextHere(L"", false);
        view.statusOurs = false;
        view.announced = progress;
    } else {
        ShowProgressText(i, newPhase);
    }
    UpdateTaskbar();
}

// The job's progress text: at once at a new phase, else at most four times a
// second, the latest one coming when its time has come even if nothing follows.
void CInstallerDlg::ShowProgressText(std::size_t job, bool now) {
    JobView& view = m_views[job];
    const std::wstring text = ProgressText(view.progress, [this](TranslationKey key) { return Word(key); }, m_figures);
    if (text.empty()) return;
    const unsigned long long ms = ::GetTickCount64();
    if (!now && ms - view.statusMs < kStatusEveryMs) {
        SetTimer(m_hWnd, kStatusTimerBase + job, static_cast<UINT>(kStatusEveryMs - (ms - view.statusMs)), nullptr);
        return;
    }
    const bool announce = WorthAnnouncing(view.announced, view.progress);
    if (announce) view.announced = view.progress;
    ShowStatusTextHere(text, announce);
    view.statusMs = ms;
    // The started setup's text stays: it tells the user what to do next.
    view.statusOurs = view.progress.phase != JobPhase::Started;
}

void CInstallerDlg::OnStatusTimer(std::size_t job) {
    ::KillTimer(m_hWnd, kStatusTimerBase + job);
    if (AtWork(m_views[job].progress.phase)) ShowProgressText(job, true);
}
