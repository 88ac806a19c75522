// The installer window: its start, its messages, and the commands.
#include "app/installer_dlg.h"

#include <windows.h>

#include <thread>

#include "install/job_runner.h"
#include "install/job_thread.h"
#include "install/system_win.h"
#include "net/request_win.h"
#include "res/resource.h"
#include "ui/product_font.h"
#include "sys/log.h"
#include "sys/os_version.h"
#include "sys/platform.h"
#include "sys/text_util.h"
#include "ui/announce.h"
#include "ui/high_contrast.h"
#include "ui/screen_density.h"

namespace {
constexpr UINT kGetDpiScaledSize = 0x02E4;  // WM_GETDPISCALEDSIZE
}  // namespace

CInstallerDlg::CInstallerDlg(HWND parent) : CDialog(IDD_INSTALLER_DIALOG, parent) {
    m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_logo.Start(WindowDpi(nullptr));  // the window will most likely open at the screen's density
}

CInstallerDlg::~CInstallerDlg() { net::SetPromptOwner(nullptr); }

void CInstallerDlg::DoDataExchange() {
    for (const Job& job : kJobs) DDX_Control(job.command, m_buttons[JobIndex(job.id)]);
    for (const Job& job : kJobs)
        if (job.bar) DDX_Control(job.bar, m_bars[JobIndex(job.id)]);
    for (const Job& job : kJobs)
        if (job.cancel) DDX_Control(job.cancel, m_cancels[JobIndex(job.id)]);
    DDX_Control(IDC_STATUS, m_status);
    DDX_Control(IDC_DEVICE, m_device);
}

BOOL CInstallerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    TakeOverDialogScaling(m_hWnd);  // ArrangeAtDensity lays it out anew
    // Explorer runs below this elevated window: its message would be dropped.
    AllowTaskbarButtonMessages(m_hWnd);
    for (const Job& job : kJobs) m_views[JobIndex(job.id)].progress.job = job.id;
    net::SetPromptOwner(m_hWnd);  // a proxy's password prompt opens in front of this window
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_translation.Load();
    UseTextFaceFor(m_translation.Language());  // before any font is made
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

// COM for the taskbar's list and the live region, not before they are
// needed: loading it would delay the first paint.
void CInstallerDlg::StartCom() {
    if (!m_com) m_com = std::make_unique<sys::CComInit>(COINIT_APARTMENTTHREADED);
}

void CInstallerDlg::OnWindowThread(const std::function<void()>& work) {
    if (!m_hWnd) return;
    if (::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId()) work();
    else ::SendMessageW(m_hWnd, kCallMessage, 0, reinterpret_cast<LPARAM>(&work));
}

// Shows the commands Windows offers; a button hidden because Windows is too
// old keeps its slot. The first shown command, if any.
HWND CInstallerDlg::ShowCommandsFor(WindowsVersion windows) {
    HWND first = nullptr;
    for (const Job& job : kJobs) {
        if (!Offered(job)) continue;
        CImageButton& button = m_buttons[JobIndex(job.id)];
        button.ShowWindow(OfferedOn(job, windows) ? SW_SHOW : SW_HIDE);
        if (!first && OfferedOn(job, windows)) first = button.GetSafeHwnd();
    }
    m_bluetoothOffered = OfferedOn(JobOf(JobId::Bluetooth), windows);
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
    StartCom();
    m_liveRegion = AtLeast(windows, WindowsVersion::Win8) && MarkPoliteLiveRegion(m_status.GetSafeHwnd());
    // Windows 7's readers hear a change of a control without the focus only as an alert.
    if (!m_liveRegion) MarkAlertState(m_status.GetSafeHwnd());
    if (m_passive) StartPassiveRun();
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

// Enter starts the command with the focus, as Space does; elsewhere nothing.
LRESULT CInstallerDlg::DefaultCommandId() const {
    for (const Job& job : kJobs)
        if (::GetFocus() == m_buttons[JobIndex(job.id)].GetSafeHwnd()) return MAKELONG(job.command, DC_HASDEFID);
    return 0;
}

fw::CMsgResult CInstallerDlg::OnTimer(UINT_PTR timer) {
    if (timer >= kStatusTimerBase && timer < kStatusTimerBase + kJobCount) {
        OnStatusTimer(timer - kStatusTimerBase);
    } else if (timer == kPassiveCloseTimer) {
        ClosePassiveWindow();
    } else if (timer == kAfterFirstPaintTimer) {
        AskWmiForWindows();
        LookAtAdapter();
    } else if (timer == kDeviceChangeTimer) {
        ::KillTimer(m_hWnd, kDeviceChangeTimer);
        LookAtAdapter();
    } else {
        return fw::NotHandled();
    }
    return fw::Handled();
}

fw::CMsgResult CInstallerDlg::OnCommand(WPARAM wp) {
    if (HIWORD(wp) != BN_CLICKED) return fw::NotHandled();
    for (const Job& job : kJobs) {
        if (LOWORD(wp) == job.command) OnInstall(job);
        else if (job.cancel && LOWORD(wp) == job.cancel) OnCancelJob(job);
        else continue;
        return fw::Handled();
    }
    return fw::NotHandled();
}

void CInstallerDlg::OnSettingChange(UINT message, WPARAM wp, LPARAM lp) {
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
}

fw::CMsgResult CInstallerDlg::OnMessage(UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_PAINT: return OnPaint() ? fw::Handled() : fw::NotHandled();
    case WM_QUERYDRAGICON: return fw::Handled(reinterpret_cast<LRESULT>(m_hIcon));
    case WM_ERASEBKGND: return fw::Handled(OnEraseBkgnd(reinterpret_cast<HDC>(wp)));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: {
        const HBRUSH brush = OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
        return brush ? fw::Handled(reinterpret_cast<LRESULT>(brush)) : fw::NotHandled();
    }
    case DM_GETDEFID: return fw::Handled(DefaultCommandId());
    case WM_TIMER: {
        const fw::CMsgResult result = OnTimer(wp);
        if (result.handled) return result;
        break;
    }
    case kWindowsKnownMessage: OnWindowsKnown(); return fw::Handled();
    case kPassiveDoneMessage: OnPassiveRunDone(); return fw::Handled();
    case kAdapterLookedMessage: {
        const std::unique_ptr<std::vector<JobLook>> looks(reinterpret_cast<std::vector<JobLook>*>(lp));
        OnAdapterLooked(*looks);
        return fw::Handled();
    }
    case WM_DEVICECHANGE: SetTimer(m_hWnd, kDeviceChangeTimer, 500, nullptr); return fw::Handled(TRUE);
    case kCallMessage: (*reinterpret_cast<const std::function<void()>*>(lp))(); return fw::Handled();
    case kGetDpiScaledSize: *reinterpret_cast<SIZE*>(lp) = SizeAtDensity(static_cast<int>(wp)); return fw::Handled(TRUE);
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp)); return fw::Handled();
    case WM_DESTROY: OnDestroy(); break;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE: OnSettingChange(message, wp, lp); break;
    case WM_COMMAND: {
        const fw::CMsgResult result = OnCommand(wp);
        if (result.handled) return result;
        break;
    }
    default:
        if (message == TaskbarButtonCreatedMessage() && OnTaskbarButtonCreated()) return fw::Handled();
        break;
    }
    return CDialog::OnMessage(message, wp, lp);
}
