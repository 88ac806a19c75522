#include "app/installer_dlg.h"

#include <windows.h>

#include <algorithm>
#include <thread>

#include "install/job_runner.h"
#include "install/job_thread.h"
#include "install/system_win.h"
#include "install/progress_text.h"
#include "install/telling.h"
#include "quiet/quiet_run.h"
#include "net/request_win.h"
#include "sys/log.h"
#include "res/resource.h"
#include "sys/os_version.h"
#include "sys/platform.h"
#include "sys/settings.h"
#include "sys/text_util.h"
#include "ui/announce.h"
#include "ui/high_contrast.h"
#include "ui/extra_msg.h"
#include "ui/product_font.h"
#include "ui/screen_density.h"

WindowArrangement g_arrangement;
int& g_buttonHeight = g_arrangement.buttonHeight;
int& g_windowWidth = g_arrangement.windowWidth;
int& g_windowHeight = g_arrangement.windowHeight;
int (&g_buttonTop)[kJobCount] = g_arrangement.buttonTop;
int (&g_progressTop)[kJobCount - 1] = g_arrangement.progressTop;
std::vector<fw::CWnd*> g_shownButtons, g_hiddenButtons, g_shownBars, g_hiddenBars;

namespace {

constexpr UINT kGetDpiScaledSize = 0x02E4;  // WM_GETDPISCALEDSIZE
constexpr unsigned long long kStatusEveryMs = 250;  // the status line changes at most this often

bool Failure(Outcome kind) {
    return kind != Outcome::Done && kind != Outcome::RestartNeeded && kind != Outcome::RestartStarted;
}

}  // namespace

CInstallerDlg::CInstallerDlg(HWND parent) : CDialog(IDD_INSTALLER_DIALOG, parent) {
    m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_logo.Start(WindowDpi(nullptr));  // the window will most likely open at the screen's density
}

CInstallerDlg::~CInstallerDlg() { net::SetPromptOwner(nullptr); }

void CInstallerDlg::RunPassively(const CommandLine& line) {
    m_passive = true;
    m_passiveLine = line;
}

void CInstallerDlg::StartPassiveRun() {
    if (m_passiveRunning.exchange(true)) return;
    for (fw::CWnd* button : g_shownButtons) ::EnableWindow(button->GetSafeHwnd(), FALSE);  // nothing to click
    const HWND self = m_hWnd;
    const bool started = StartJob([this, self] {
        CWindowsJobSystem system(true, &m_passiveCancel);  // the installers are waited for, as quiet mode does
        m_passiveCode = RunQuiet(m_passiveLine, system, [this](TranslationKey key) { return Word(key); },
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

void CInstallerDlg::DoDataExchange() {
    for (const Job& job : kJobs) DDX_Control(job.command, m_buttons[static_cast<int>(job.id)]);
    for (const Job& job : kJobs)
        if (job.bar) DDX_Control(job.bar, m_bars[static_cast<int>(job.id)]);
    for (const Job& job : kJobs)
        if (job.cancel) DDX_Control(job.cancel, m_cancels[static_cast<int>(job.id)]);
    DDX_Control(IDC_STATUS, m_status);
}

BOOL CInstallerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_com = std::make_unique<sys::CComInit>(COINIT_APARTMENTTHREADED);  // the live region's and the taskbar's
    TakeOverDialogScaling(m_hWnd);  // ArrangeAtDensity lays it out anew
    for (const Job& job : kJobs) m_views[JobIndex(job.id)].progress.job = job.id;
    net::SetPromptOwner(m_hWnd);  // a proxy's password prompt opens in front of this window
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_translation.Load();
    m_highContrast = HighContrastOn();
    // Laid out while still hidden: the dialog shows itself, painted once, after this.
    SortControls();
    ArrangeAtDensity(WindowDpi(m_hWnd), true);
    CenterWindow();

    // The commands shown depend on the Windows version: the kernel's for the
    // first paint, WMI's (the same but where WMI is broken) once it answers.
    const HWND first = ShowCommandsFor(WindowsSoFar());
    SetWindowText(L"USB Bluetooth Wireless Adapter (" + Widen(sys::GetProgramVersion()) + L")");
    // A timer comes after every pending paint: WMI, which loads a dozen DLLs
    // under the loader lock, starts once the window stands.
    SetTimer(m_hWnd, kAfterFirstPaintTimer, USER_TIMER_MINIMUM, nullptr);
    if (!first) return TRUE;
    ::SetFocus(first);  // the first command, ready for Space or Enter
    return FALSE;
}

// Shows the commands Windows offers; a button hidden because Windows is too
// old keeps its slot. The first shown command, if any.
HWND CInstallerDlg::ShowCommandsFor(WindowsVersion windows) {
    HWND first = nullptr;
    for (const Job& job : kJobs) {
        if (!Offered(job)) continue;
        CImageButton& button = m_buttons[static_cast<int>(job.id)];
        button.ShowWindow(OfferedOn(job, windows) ? SW_SHOW : SW_HIDE);
        if (!first && OfferedOn(job, windows)) first = button.GetSafeHwnd();
    }
    m_bluetoothShown = OfferedOn(JobOf(JobId::Bluetooth), windows);
    return first;
}

void CInstallerDlg::AskWmiForWindows() {
    ::KillTimer(m_hWnd, kAfterFirstPaintTimer);
    const HWND self = m_hWnd;
    std::thread([self] {
        ThisWindows();
        ::PostMessageW(self, kWindowsKnownMessage, 0, 0);
    }).detach();
}

void CInstallerDlg::OnWindowsKnown() {
    const WindowsVersion windows = ThisWindows();
    ShowCommandsFor(windows);
    m_liveRegion = AtLeast(windows, WindowsVersion::Win8) && MarkPoliteLiveRegion(m_status.GetSafeHwnd());
    if (m_passive) StartPassiveRun();
}

void CInstallerDlg::ArrangeAtDensity(int dpi, bool first) {
    CreateProductFont(dpi, m_font);
    {
        fw::CClientDC dc(m_hWnd);
        fw::CSelectObject font(dc.Get(), m_font.Get());
        SIZE extent = {};
        ::GetTextExtentPoint32W(dc.Get(), L"Install", 7, &extent);
        m_gap = extent.cy;
    }
    ArrangeControls(m_gap, dpi);
    if (first) SetWindowPos(nullptr, 0, 0, g_windowWidth, g_windowHeight, SWP_NOMOVE | SWP_NOZORDER);
    PlaceControls(m_gap, first);
    ApplyLook();
}

// The controls of the offered jobs and of the others, in the table's order,
// with their captions.
void CInstallerDlg::SortControls() {
    g_shownButtons.clear();
    g_hiddenButtons.clear();
    g_shownBars.clear();
    g_hiddenBars.clear();
    for (const Job& job : kJobs) {
        const std::size_t i = JobIndex(job.id);
        const bool on = Offered(job);
        (on ? g_shownButtons : g_hiddenButtons).push_back(&m_buttons[i]);
        if (job.bar) (on ? g_shownBars : g_hiddenBars).push_back(&m_bars[i]);
        if (on) m_buttons[i].SetWindowText(Word(job.caption));
        if (on && job.cancel) m_cancels[i].SetWindowText(Word(kCancel));  // what screen readers read
    }
}

void CInstallerDlg::ArrangeControls(int gap, int dpi) {
    bool on[kJobCount] = {};
    for (const Job& job : kJobs) on[JobIndex(job.id)] = Offered(job);
    g_arrangement = ArrangeWindow(on, gap, dpi);
}

void CInstallerDlg::PlaceControls(int gap, bool first) {
    const RECT client = GetClientRect();
    const int width = g_arrangement.controlWidth, left = (client.right - width) / 2;
    // Tab and Shift+Tab follow the table's order, which is the window's.
    HWND after = HWND_TOP;
    const UINT hide = first ? SWP_HIDEWINDOW : 0;
    for (std::size_t i = 0; i < g_shownButtons.size(); ++i) {
        auto* button = static_cast<CImageButton*>(g_shownButtons[i]);
        button->SetWindowPos(after, left, g_buttonTop[i], width, g_buttonHeight, hide | SWP_NOACTIVATE);
        after = button->GetSafeHwnd();
    }
    for (fw::CWnd* button : g_hiddenButtons) button->ShowWindow(SW_HIDE);
    // Each bar leaves room at its right end for its cancel, which fills the
    // gap between the buttons above and below it and follows the button
    // above in the tab order.
    const int cancelSize = std::max(gap - 4, 8), cancelRoom = cancelSize + Scaled(4, g_arrangement.dpi);
    std::size_t slot = 0;
    for (const Job& job : kJobs) {
        if (!Offered(job) || !job.bar) continue;
        const std::size_t i = JobIndex(job.id);
        const int barTop = g_progressTop[slot];
        m_bars[i].SetWindowPos(nullptr, left, barTop, width - cancelRoom, gap / 2, SWP_NOZORDER | hide);
        if (first) m_bars[i].SetRange(0, 100);
        const HWND above = slot + 1 < g_shownButtons.size() ? g_shownButtons[slot + 1]->GetSafeHwnd() : after;
        m_cancels[i].SetWindowPos(above, left + width - cancelSize, barTop + gap / 4 - cancelSize / 2, cancelSize,
                                  cancelSize, SWP_NOACTIVATE | hide);
        ++slot;
    }
    for (fw::CWnd* bar : g_hiddenBars) bar->ShowWindow(SW_HIDE);
    const int top = StatusLineTop(g_arrangement, static_cast<int>(g_shownButtons.size()),
                                  static_cast<int>(g_shownBars.size()), gap, client.bottom);
    m_status.SetWindowPos(nullptr, left, top, width, 3 * gap, SWP_NOZORDER | SWP_SHOWWINDOW);
    FitStatusFont(m_status.GetWindowText());
}

void CInstallerDlg::ApplyLook() {
    static const UINT faces[3] = {IDB_BUTTON_FACE, IDB_BUTTON_FACE_150, IDB_BUTTON_FACE_200};
    for (fw::CWnd* button : g_shownButtons)
        ApplyProductLook(*static_cast<CImageButton*>(button), faces, m_font.Get(), g_arrangement.dpi, m_highContrast);
}

// A status text that does not fit its three lines in this font gets the
// largest smaller size that does.
void CInstallerDlg::FitStatusFont(const std::wstring& text) {
    RECT area = m_status.GetClientRect();
    // The last line keeps 8 pixels (at 100 %) from the window's bottom edge.
    RECT status = {}, client = GetClientRect();
    ::GetWindowRect(m_status.GetSafeHwnd(), &status);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&status), 2);
    area.bottom = std::min<LONG>(area.bottom, client.bottom - Scaled(8, g_arrangement.dpi) - status.top);
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
        m_statusTenths = FittingFontTenths(g_arrangement.dpi, fits, m_statusFont);
        m_statusFontInUse = m_statusFont.Get();
    }
    m_status.SetFont(m_statusFontInUse, false);  // the static draws with its own font
}

void CInstallerDlg::OnDpiChanged(int dpi, const RECT& suggested) {
    SendMessage(WM_SETREDRAW, FALSE);
    SetWindowPos(nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ArrangeAtDensity(dpi, false);
    SendMessage(WM_SETREDRAW, TRUE);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void CInstallerDlg::ShowStatusText(const std::wstring& text) {
    sys::Log(L"status text: " + text);
    FitStatusFont(text);
    m_status.SetWindowText(text);
    AnnounceTextChange(m_status.GetSafeHwnd(), m_liveRegion);
    // The static is transparent: hiding and showing it repaints the background
    // under it, so the new text never lies over the old.
    m_status.ShowWindow(SW_HIDE);
    m_status.ShowWindow(SW_SHOW);
}

// Runs on the calling job thread; owned by this window, which stays usable.
void CInstallerDlg::ShowNoInternetHint() {
    sys::Log(L"message: " + Word(kHintNoInternet));
    CExtraMsg message(m_hWnd);
    message.DoModal();
}

void CInstallerDlg::Tell(const Job& job, const JobOutcome& outcome) {
    m_failed = Failure(outcome.kind);
    UpdateTaskbar();
    const Telling telling = TellingOf(job, outcome, m_bluetoothShown);
    if (!telling.status.empty()) ShowStatusText(StatusText(telling, [this](TranslationKey key) { return Word(key); }));
    if (telling.message && m_passive) ShowStatusText(Word(kHintNoInternet));  // nobody is asked to click
    else if (telling.message) ShowNoInternetHint();
}

void CInstallerDlg::Report(const JobProgress& progress) {
    // Handled on the window's thread, one report after the other.
    if (m_hWnd) ::SendMessageW(m_hWnd, kProgressMessage, 0, reinterpret_cast<LPARAM>(&progress));
}

void CInstallerDlg::OnProgress(const JobProgress& progress) {
    const Job& job = JobOf(progress.job);
    JobView& view = m_views[JobIndex(job.id)];
    const bool newPhase = progress.phase != view.progress.phase;
    if (newPhase && progress.phase != JobPhase::Ended && !AtWork(view.progress.phase)) m_failed = false;  // a new run
    view.progress = progress;
    if (job.bar) ShowBar(job, progress, newPhase);
    const unsigned long long now = ::GetTickCount64();
    const std::wstring text = ProgressText(progress, [this](TranslationKey key) { return Word(key); });
    if (progress.phase == JobPhase::Ended) {
        // What the job came to is told next; a progress text must not stay meanwhile.
        if (view.statusOurs && newPhase) ShowStatusText(L"");
        view.statusOurs = false;
    } else if (!text.empty() && (newPhase || now - view.statusMs >= kStatusEveryMs)) {
        ShowStatusText(text);
        view.statusMs = now;
        // The started setup's text stays: it tells the user what to do next.
        view.statusOurs = progress.phase != JobPhase::Started;
    } else if (!text.empty()) {
        // Too soon after the last: the latest comes when its time has come, even if nothing follows.
        SetTimer(m_hWnd, kStatusTimerBase + JobIndex(job.id), static_cast<UINT>(kStatusEveryMs - (now - view.statusMs)),
                 nullptr);
    }
    UpdateTaskbar();
}

void CInstallerDlg::OnStatusTimer(std::size_t job) {
    ::KillTimer(m_hWnd, kStatusTimerBase + job);
    JobView& view = m_views[job];
    if (!AtWork(view.progress.phase)) return;
    const std::wstring text = ProgressText(view.progress, [this](TranslationKey key) { return Word(key); });
    if (text.empty()) return;
    ShowStatusText(text);
    view.statusMs = ::GetTickCount64();
    view.statusOurs = true;
}

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

const Job* CInstallerDlg::FocusedCancellableJob() const {
    const HWND focus = ::GetFocus();
    for (const Job& job : kJobs) {
        const std::size_t i = JobIndex(job.id);
        if (job.cancel && ::IsWindowVisible(m_cancels[i].GetSafeHwnd()) &&
            (focus == m_buttons[i].GetSafeHwnd() || focus == m_cancels[i].GetSafeHwnd()))
            return &job;
    }
    return nullptr;
}

void CInstallerDlg::OnCancelJob(const Job& job) {
    sys::Log(std::wstring(L"cancel: the ") + job.name);
    m_cancelTokens[JobIndex(job.id)].Cancel();
    if (m_passive) m_passiveCancel.Cancel();
}

void CInstallerDlg::OnCancel() {
    // Esc never closes the window: it cancels the job whose command or cancel has the focus.
    if (::GetKeyState(VK_ESCAPE) & 0x8000) {
        if (const Job* job = FocusedCancellableJob()) OnCancelJob(*job);
        return;
    }
    // Closing would end the installers it waits for: it closes itself when they are done.
    if (m_passiveRunning) {
        sys::Log(L"close refused: the jobs started by /passive still run");
        return;
    }
    CDialog::OnCancel();
}

void CInstallerDlg::OnInstall(const Job& job) {
    sys::Log(std::wstring(L"clicked: install the ") + job.name);
    CCancelToken& cancel = m_cancelTokens[JobIndex(job.id)];
    if (!BusyFlag(job.id)) cancel.Reset();  // a new run; a click during one changes nothing
    StartJob([this, &job, &cancel] {
        CWindowsJobSystem system(false, &cancel);
        RunJob(job, *this, system);
    });
}

void CInstallerDlg::OnDestroy() {
    ClearLiveRegion(m_status.GetSafeHwnd());
    m_taskbar.reset();
    m_com.reset();
}

fw::CMsgResult CInstallerDlg::OnMessage(UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_PAINT:
        return OnPaint() ? fw::Handled() : fw::NotHandled();
    case WM_QUERYDRAGICON:
        return fw::Handled(reinterpret_cast<LRESULT>(m_hIcon));
    case WM_ERASEBKGND:
        return fw::Handled(OnEraseBkgnd(reinterpret_cast<HDC>(wp)));
    case WM_CTLCOLORSTATIC: case WM_CTLCOLORBTN: case WM_CTLCOLORDLG: {
        HBRUSH brush = OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
        return brush ? fw::Handled(reinterpret_cast<LRESULT>(brush)) : fw::NotHandled();
    }
    case DM_GETDEFID:  // Enter starts the command with the focus, as Space does; elsewhere nothing
        for (const Job& job : kJobs)
            if (::GetFocus() == m_buttons[static_cast<int>(job.id)].GetSafeHwnd())
                return fw::Handled(MAKELONG(job.command, DC_HASDEFID));
        return fw::Handled(0);
    case WM_TIMER:
        if (wp >= kStatusTimerBase && wp < kStatusTimerBase + kJobCount) {
            OnStatusTimer(wp - kStatusTimerBase);
            return fw::Handled();
        }
        if (wp == kPassiveCloseTimer) {
            ::KillTimer(m_hWnd, kPassiveCloseTimer);
            sys::Log(L"the window closed itself");
            EndDialog(IDOK);
            return fw::Handled();
        }
        if (wp != kAfterFirstPaintTimer) break;
        AskWmiForWindows();
        return fw::Handled();
    case kWindowsKnownMessage:
        OnWindowsKnown();
        return fw::Handled();
    case kPassiveDoneMessage:
        OnPassiveRunDone();
        return fw::Handled();
    case kProgressMessage:
        OnProgress(*reinterpret_cast<const JobProgress*>(lp));
        return fw::Handled();
    case kGetDpiScaledSize: {  // the size the window takes at the new density: the arrangement's
        bool on[kJobCount] = {};
        for (const Job& job : kJobs) on[JobIndex(job.id)] = Offered(job);
        const WindowArrangement at = ArrangeWindow(on, 0, static_cast<int>(wp));
        *reinterpret_cast<SIZE*>(lp) = {at.windowWidth, at.windowHeight};
        return fw::Handled(TRUE);
    }
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return fw::Handled();
    case WM_SETTINGCHANGE: case WM_SYSCOLORCHANGE:
        // One high-contrast theme for another changes the colours, not the switch: repaint either way.
        if (HighContrastOn() != m_highContrast || (m_highContrast && message == WM_SYSCOLORCHANGE)) {
            m_highContrast = HighContrastOn();
            ApplyLook();
            ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        }
        // Common controls take the new colours only when told.
        if (message == WM_SYSCOLORCHANGE)
            for (fw::CProgressCtrl& bar : m_bars)
                if (bar.GetSafeHwnd()) bar.SendMessage(WM_SYSCOLORCHANGE, wp, lp);
        break;
    case WM_COMMAND:
        if (HIWORD(wp) != BN_CLICKED) break;
        for (const Job& job : kJobs) {
            if (LOWORD(wp) == job.command) OnInstall(job);
            else if (job.cancel && LOWORD(wp) == job.cancel) OnCancelJob(job);
            else continue;
            return fw::Handled();
        }
        break;
    default:
        if (message == TaskbarButtonCreatedMessage() && !m_ownTaskbar) {
            m_taskbar = OpenTaskbarButton(m_hWnd);
            UpdateTaskbar();
            return fw::Handled();
        }
        break;
    }
    return CDialog::OnMessage(message, wp, lp);
}
