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

// Layout state, filled by ArrangeControls; the painting reads the window size.
extern int g_buttonHeight, g_windowWidth, g_windowHeight;
extern int g_buttonTop[kJobCount], g_progressTop[kJobCount - 1];
extern std::vector<fw::CWnd*> g_shownButtons, g_hiddenButtons, g_shownBars, g_hiddenBars;

// The installer's one window: a button per job the build offers (by the
// feature table), a progress bar under each download command and a status
// line for what the jobs came to.
class CInstallerDlg : public fw::CDialog, public IJobWindow {
public:
    explicit CInstallerDlg(HWND parent = nullptr);
    ~CInstallerDlg() override;

    // For the jobs (any thread).
    void ShowProgress(Job job, bool show) override;
    void SetProgress(Job job, int percent) override;
    void Tell(const Feature& feature, const JobOutcome& outcome) override;
    void ShowStatusText(const std::wstring& text);
    // The no-connection message, on the calling thread; returns when it is closed.
    void ShowNoInternetHint();

    int FontPointTenths() const { return m_font.PointTenths(); }
    bool BluetoothShown() const { return m_bluetoothShown; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    fw::CMsgResult OnMessage(UINT message, WPARAM wp, LPARAM lp) override;
    void OnOK() override {}
    void OnCancel() override;

private:
    WindowLayout ArrangeControls(int gap);
    void PlaceControls(const WindowLayout& layout, int gap);
    void OnInstall(const Feature& feature);
    std::wstring Word(TranslationKey key) { return m_translation.GetWord(kTranslationKeys[key]); }

    // Painting (installer_dlg_paint.cpp).
    BOOL OnEraseBkgnd(HDC dc);
    void PaintBackground(HDC dc, const RECT& rect);
    HBRUSH OnCtlColor(HDC dc, HWND control);
    bool OnPaint();

    HICON m_hIcon = nullptr;
    fw::CFont m_font;
    bool m_bluetoothShown = false;
    CTranslation m_translation;
    CImageButton m_buttons[kJobCount];
    fw::CProgressCtrl m_bars[kJobCount];  // none for a job without a bar
    fw::CStatic m_status;
};
