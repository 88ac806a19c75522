#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "app/layout.h"
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "i18n/translation.h"
#include "install/job_window.h"
#include "ui/image_button.h"

// Feature switches, fixed at build time; tests may change them before a
// window is created.
extern bool g_featureWifi, g_featureBluetooth, g_featureHotspot, g_featureReceiver;
// Layout state, filled by ArrangeControls; the painting reads the window size.
extern int g_buttonHeight, g_windowWidth, g_windowHeight;
extern int g_buttonTop[kFeatureCount], g_progressTop[kFeatureCount - 1];
extern std::vector<fw::CWnd*> g_shownButtons, g_hiddenButtons, g_shownBars, g_hiddenBars;

// The installer's one window: a button per switched-on feature, a progress
// bar under each download command and a status line for the jobs' results.
class CInstallerDlg : public fw::CDialog, public IJobWindow {
public:
    explicit CInstallerDlg(HWND parent = nullptr);
    ~CInstallerDlg() override;

    // For the jobs (any thread).
    void ShowStatusText(const std::wstring& text) override;
    void ShowNoInternetHint() override;
    void ShowProgress(ProgressBar bar, bool show) override;
    void SetProgress(ProgressBar bar, int percent) override;
    std::wstring Word(TranslationKey key) override { return m_translation.GetWord(kTranslationKeys[key]); }
    bool BluetoothShown() const override { return m_bluetoothShown; }

    int FontPointTenths() const { return m_font.PointTenths(); }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    fw::CMsgResult OnMessage(UINT message, WPARAM wp, LPARAM lp) override;
    void OnOK() override {}
    void OnCancel() override;

private:
    WindowLayout ArrangeControls(int gap);
    void PlaceControls(const WindowLayout& layout, int gap);
    fw::CProgressCtrl& Bar(ProgressBar bar);

    void OnInstallWifi();
    void OnInstallBluetooth();
    void OnInstallReceiver();
    void OnInstallHotspot();

    // Painting (installer_dlg_paint.cpp).
    BOOL OnEraseBkgnd(HDC dc);
    void PaintBackground(HDC dc, const RECT& rect);
    HBRUSH OnCtlColor(HDC dc, HWND control);
    bool OnPaint();

    HICON m_hIcon = nullptr;
    fw::CFont m_font;
    bool m_bluetoothShown = false;
    CTranslation m_translation;
    CImageButton m_btnWifi, m_btnBluetooth, m_btnReceiver, m_btnHotspot;
    fw::CProgressCtrl m_progressBluetooth, m_progressReceiver, m_progressHotspot;
    fw::CStatic m_status;
};
