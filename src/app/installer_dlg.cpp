#include "app/installer_dlg.h"

#include <windows.h>

#include "build_settings.h"
#include "install/busy_flag.h"
#include "install/download_install.h"
#include "install/job_thread.h"
#include "install/system_win.h"
#include "install/wifi_install.h"
#include "log/run_log.h"
#include "res/resource.h"
#include "sys/os_version.h"
#include "sys/platform.h"
#include "ui/no_connection_msg.h"
#include "ui/product_font.h"

bool g_featureWifi = build::kFeatureWifi;
bool g_featureBluetooth = build::kFeatureBluetooth;
bool g_featureHotspot = build::kFeatureHotspot;
bool g_featureReceiver = build::kFeatureReceiver;
int g_buttonHeight = kButtonHeight;
int g_windowWidth = kWindowWidth;
int g_windowHeight = kFullWindowHeight;
int g_buttonTop[kFeatureCount] = {};
int g_progressTop[kFeatureCount - 1] = {};
std::vector<fw::CWnd*> g_shownButtons, g_hiddenButtons, g_shownBars, g_hiddenBars;

namespace {
CWindowsJobSystem g_system;
}  // namespace

// GDI+ must be running while the window paints: the application (or a test's
// driver) holds an fw::CGdiplusSession for the window's lifetime.
CInstallerDlg::CInstallerDlg(HWND parent) : CDialog(IDD_INSTALLER_DIALOG, parent) {
    m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CInstallerDlg::~CInstallerDlg() = default;

void CInstallerDlg::DoDataExchange() {
    DDX_Control(IDC_BTN_WIFI, m_btnWifi);
    DDX_Control(IDC_BTN_BLUETOOTH, m_btnBluetooth);
    DDX_Control(IDC_BTN_RECEIVER, m_btnReceiver);
    DDX_Control(IDC_BTN_HOTSPOT, m_btnHotspot);
    DDX_Control(IDC_PROGRESS_BLUETOOTH, m_progressBluetooth);
    DDX_Control(IDC_PROGRESS_HOTSPOT, m_progressHotspot);
    DDX_Control(IDC_PROGRESS_RECEIVER, m_progressReceiver);
    DDX_Control(IDC_STATUS, m_status);
}

BOOL CInstallerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CenterWindow();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_translation.Load();
    CreateProductFont(m_hWnd, m_font);
    fw::CClientDC dc(m_hWnd);
    int gap = 0;
    {
        fw::CSelectObject font(dc.Get(), m_font.Get());
        SIZE extent = {};
        ::GetTextExtentPoint32W(dc.Get(), L"Install", 7, &extent);
        gap = extent.cy;
    }
    const WindowLayout layout = ArrangeControls(gap);
    SetWindowPos(nullptr, 0, 0, g_windowWidth, g_windowHeight, SWP_SHOWWINDOW | SWP_NOMOVE);
    // Placing each control would repaint the whole background again; paint once after.
    SendMessage(WM_SETREDRAW, FALSE);
    PlaceControls(layout, gap);

    if (g_featureWifi) m_btnWifi.ShowWindow(SW_SHOW);
    if (g_featureHotspot) m_btnHotspot.ShowWindow(SW_SHOW);
    if (QueryOsVersion() >= 6) {
        if (g_featureReceiver) m_btnReceiver.ShowWindow(SW_SHOW);
        if (g_featureBluetooth) {
            m_bluetoothShown = true;
            m_btnBluetooth.ShowWindow(SW_SHOW);
        }
    }
    const std::string version = sys::GetProgramVersion();
    SetWindowText(L"USB Bluetooth Wireless Adapter (" + std::wstring(version.begin(), version.end()) + L")");
    SendMessage(WM_SETREDRAW, TRUE);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    return TRUE;
}

WindowLayout CInstallerDlg::ArrangeControls(int gap) {
    const bool on[kFeatureCount] = {g_featureWifi, g_featureBluetooth, g_featureHotspot, g_featureReceiver};
    const WindowLayout layout = ComputeLayout(on, gap);
    g_windowHeight = layout.windowHeight;
    std::copy(std::begin(layout.buttonTop), std::end(layout.buttonTop), g_buttonTop);
    std::copy(std::begin(layout.progressTop), std::end(layout.progressTop), g_progressTop);

    struct Feature { CImageButton& button; fw::CWnd* bar; TranslationKey caption; };
    Feature features[kFeatureCount] = {{m_btnWifi, nullptr, kInstallWifi},
                                       {m_btnBluetooth, &m_progressBluetooth, kInstallBt},
                                       {m_btnHotspot, &m_progressHotspot, kInstallHotspot},
                                       {m_btnReceiver, &m_progressReceiver, kInstallRx}};
    g_shownButtons.clear(); g_hiddenButtons.clear(); g_shownBars.clear(); g_hiddenBars.clear();
    for (int i = 0; i < kFeatureCount; ++i) {
        Feature& f = features[i];
        (on[i] ? g_shownButtons : g_hiddenButtons).push_back(&f.button);
        if (f.bar) (on[i] ? g_shownBars : g_hiddenBars).push_back(f.bar);
        if (on[i]) f.button.SetWindowText(m_translation.GetWord(kTranslationKeys[f.caption]));
    }
    return layout;
}

void CInstallerDlg::PlaceControls(const WindowLayout& layout, int gap) {
    const RECT client = GetClientRect();
    const int left = (client.right - kControlWidth) / 2;
    for (std::size_t i = 0; i < g_shownButtons.size(); ++i) {
        auto* button = static_cast<CImageButton*>(g_shownButtons[i]);
        button->SetWindowPos(nullptr, left, g_buttonTop[i], kControlWidth, g_buttonHeight,
                             SWP_NOZORDER | SWP_HIDEWINDOW);
        ApplyProductLook(*button, IDB_BUTTON_FACE, m_font.Get());
    }
    for (fw::CWnd* button : g_hiddenButtons) button->ShowWindow(SW_HIDE);
    for (std::size_t j = 0; j < g_shownBars.size(); ++j) {
        auto* bar = static_cast<fw::CProgressCtrl*>(g_shownBars[j]);
        bar->SetWindowPos(nullptr, left, g_progressTop[j], kControlWidth, gap / 2, SWP_NOZORDER | SWP_HIDEWINDOW);
        bar->SetRange(0, 100);
    }
    for (fw::CWnd* bar : g_hiddenBars) bar->ShowWindow(SW_HIDE);
    const int top = StatusLineTop(layout, static_cast<int>(g_shownButtons.size()),
                                  static_cast<int>(g_shownBars.size()), gap, client.bottom);
    m_status.SetFont(m_font.Get(), false);  // the static draws with its own font
    m_status.SetWindowPos(nullptr, left, top, kControlWidth, 3 * gap, SWP_NOZORDER | SWP_SHOWWINDOW);
}

void CInstallerDlg::ShowStatusText(const std::wstring& text) {
    sys::Log(L"status text: " + text);
    m_status.SetWindowText(text);
    // The static is transparent: hiding and showing it repaints the background
    // under it, so the new text never lies over the old.
    m_status.ShowWindow(SW_HIDE);
    m_status.ShowWindow(SW_SHOW);
}

// Runs on the calling job thread with no owner, so the installer window stays usable.
void CInstallerDlg::ShowNoInternetHint() {
    sys::Log(L"message: " + m_translation.GetWord(kTranslationKeys[kHintNoInternet]));
    CExtraMsg message(nullptr);
    message.DoModal();
}

fw::CProgressCtrl& CInstallerDlg::Bar(ProgressBar bar) {
    switch (bar) {
    case ProgressBar::Hotspot: return m_progressHotspot;
    case ProgressBar::Receiver: return m_progressReceiver;
    default: return m_progressBluetooth;
    }
}

void CInstallerDlg::ShowProgress(ProgressBar bar, bool show) {
    if (show) {  // a new download starts from nothing, whatever the last one showed
        Bar(bar).SetMarquee(false);
        Bar(bar).SetPos(0);
    }
    Bar(bar).ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CInstallerDlg::SetProgress(ProgressBar bar, int percent) {
    Bar(bar).SetMarquee(percent < 0);
    if (percent >= 0) Bar(bar).SetPos(percent);
}

void CInstallerDlg::OnCancel() {
    if (::GetKeyState(VK_ESCAPE) & 0x8000) return;  // Esc never closes the window
    CDialog::OnCancel();
}

void CInstallerDlg::OnInstallWifi() {
    sys::Log(L"clicked: install the Wi-Fi driver");
    StartJob([this] { InstallWifiDriver(*this, g_system, g_wifiBusy); });
}

void CInstallerDlg::OnInstallBluetooth() {
    sys::Log(L"clicked: install the Bluetooth driver");
    StartJob([this] { InstallBluetoothDriver(*this, g_system, g_bluetoothBusy); });
}

void CInstallerDlg::OnInstallReceiver() {
    sys::Log(L"clicked: install the receiver application");
    StartJob([this] { InstallReceiverApp(*this, g_system); });
}

void CInstallerDlg::OnInstallHotspot() {
    sys::Log(L"clicked: install the hotspot driver");
    StartJob([this] { InstallHotspotDriver(*this, g_system); });
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
    case WM_COMMAND:
        if (HIWORD(wp) != BN_CLICKED) break;
        switch (LOWORD(wp)) {
        case IDC_BTN_WIFI: OnInstallWifi(); return fw::Handled();
        case IDC_BTN_BLUETOOTH: OnInstallBluetooth(); return fw::Handled();
        case IDC_BTN_RECEIVER: OnInstallReceiver(); return fw::Handled();
        case IDC_BTN_HOTSPOT: OnInstallHotspot(); return fw::Handled();
        default: break;
        }
        break;
    default:
        break;
    }
    return CDialog::OnMessage(message, wp, lp);
}
