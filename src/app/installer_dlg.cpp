#include "app/installer_dlg.h"

#include <windows.h>

#include <thread>

#include "install/job_runner.h"
#include "install/job_thread.h"
#include "install/system_win.h"
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
CWindowsJobSystem g_system;
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
        CWindowsJobSystem system(true);  // the installers are waited for, as quiet mode does
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
    DDX_Control(IDC_STATUS, m_status);
}

BOOL CInstallerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
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
    for (std::size_t j = 0; j < g_shownBars.size(); ++j) {
        auto* bar = static_cast<fw::CProgressCtrl*>(g_shownBars[j]);
        bar->SetWindowPos(nullptr, left, g_progressTop[j], width, gap / 2, SWP_NOZORDER | hide);
        if (first) bar->SetRange(0, 100);
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
    const RECT area = m_status.GetClientRect();
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
    const Telling telling = TellingOf(job, outcome, m_bluetoothShown);
    if (!telling.status.empty()) ShowStatusText(StatusText(telling, [this](TranslationKey key) { return Word(key); }));
    if (telling.message && m_passive) ShowStatusText(Word(kHintNoInternet));  // nobody is asked to click
    else if (telling.message) ShowNoInternetHint();
}

void CInstallerDlg::ShowProgress(JobId job, bool show) {
    fw::CProgressCtrl& bar = m_bars[static_cast<int>(job)];
    if (show) {  // a new download starts from nothing, whatever the last one showed
        bar.SetMarquee(false);
        bar.SetPos(0);
    }
    bar.ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CInstallerDlg::SetProgress(JobId job, int percent) {
    fw::CProgressCtrl& bar = m_bars[static_cast<int>(job)];
    bar.SetMarquee(percent < 0);
    if (percent >= 0) bar.SetPos(percent);
}

void CInstallerDlg::OnCancel() {
    if (::GetKeyState(VK_ESCAPE) & 0x8000) return;  // Esc never closes the window
    // Closing would end the installers it waits for: it closes itself when they are done.
    if (m_passiveRunning) {
        sys::Log(L"close refused: the jobs started by /passive still run");
        return;
    }
    CDialog::OnCancel();
}

void CInstallerDlg::OnInstall(const Job& job) {
    sys::Log(std::wstring(L"clicked: install the ") + job.name);
    StartJob([this, &job] { RunJob(job, *this, g_system); });
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
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return fw::Handled();
    case WM_SETTINGCHANGE: case WM_SYSCOLORCHANGE:
        if (HighContrastOn() != m_highContrast) {
            m_highContrast = !m_highContrast;
            ApplyLook();
            ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        }
        break;
    case WM_COMMAND:
        if (HIWORD(wp) != BN_CLICKED) break;
        for (const Job& job : kJobs) {
            if (LOWORD(wp) != job.command) continue;
            OnInstall(job);
            return fw::Handled();
        }
        break;
    default:
        break;
    }
    return CDialog::OnMessage(message, wp, lp);
}
