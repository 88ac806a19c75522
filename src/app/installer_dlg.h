#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "app/arrangement.h"
#include "ui/taskbar_view.h"
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "i18n/translation.h"
#include "install/device_state.h"
#include "install/job_window.h"
#include "quiet/command_line.h"
#include "quiet/exit_code.h"
#include "sys/cancel_token.h"
#include "sys/com_win.h"
#include "sys/os_version.h"
#include "sys/platform.h"
#include "ui/cancel_button.h"
#include "ui/image_button.h"
#include "ui/logo_image.h"
#include "ui/taskbar_button.h"

// The installer's one window: a button per job the build offers (by the
// job table), a progress bar under each download command with its cancel,
// and a status line for what the jobs are doing and came to. Only its own
// thread touches its state (install/job_window.h): what a job or a test asks
// of it from another thread is handed to that thread first.
class CInstallerDlg : public fw::CDialog, public IJobWindow {
public:
    explicit CInstallerDlg(HWND parent = nullptr);
    ~CInstallerDlg() override;

    // /passive, before the window opens: once Windows is known it starts the
    // line's jobs itself, one after another, asks nothing (the no-connection
    // message becomes the status text), and closes itself a while after the
    // last; PassiveExitCode is then the run's code, as quiet mode's.
    void RunPassively();
    ExitCode PassiveExitCode() const { return m_passiveCode; }

    // For the jobs (any thread).
    void Report(const JobProgress& progress) override;
    void Tell(const Job& job, const JobOutcome& outcome) override;
    bool ShowsProgress() const override { return true; }
    // Any thread: the status line's text, told to screen readers.
    void ShowStatusText(const std::wstring& text);
    // The no-connection message, on the calling thread; returns when it is closed.
    void ShowNoInternetHint();
    // Before the window opens: where the taskbar progress goes instead of the
    // shell's button (tests).
    void UseTaskbarButton(std::unique_ptr<ITaskbarButton> button) {
        m_taskbar = std::move(button);
        m_ownTaskbar = true;
    }

    // What tests look at once the window stands still.
    const WindowArrangement& Arrangement() const { return m_arrangement; }
    int FontPointTenths() const { return m_font.PointTenths(); }
    bool BluetoothOffered() const { return m_bluetoothOffered; }
    int Dpi() const { return m_arrangement.dpi; }
    // The sizes the caption of the job's command and the status text were last
    // drawn at, in tenths of a point: smaller than the font's when they did not fit.
    int CaptionTenths(JobId job) const { return m_buttons[JobIndex(job)].CaptionTenths(); }
    int StatusTenths() const { return m_statusTenths; }
    int AdapterLooks() const { return m_adapterLooks; }  // how often the adapter's line was looked at

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    fw::CMsgResult OnMessage(UINT message, WPARAM wp, LPARAM lp) override;
    void OnOK() override {}
    void OnCancel() override;

private:
    static constexpr UINT kWindowsKnownMessage = WM_APP + 1;
    static constexpr UINT kPassiveDoneMessage = WM_APP + 2;
    static constexpr UINT kCallMessage = WM_APP + 3;  // lParam: a std::function<void()> to run here, sent
    static constexpr UINT kAdapterLookedMessage = WM_APP + 4;  // lParam: the looks, a new std::vector<JobLook>
    static constexpr UINT_PTR kAfterFirstPaintTimer = 1;
    static constexpr UINT_PTR kPassiveCloseTimer = 2;
    static constexpr UINT_PTR kDeviceChangeTimer = 3;  // devices come and go in bursts: one look after them
    static constexpr UINT_PTR kStatusTimerBase = 16;  // one per job: the status text held back

    // Runs work on the window's thread, at once when called there; nothing
    // once the window is gone.
    void OnWindowThread(const std::function<void()>& work);

    // Commands and Windows (installer_dlg.cpp).
    HWND ShowCommandsFor(WindowsVersion windows);
    void AskWmiForWindows();
    void OnWindowsKnown();
    void OnInstall(const Job& job);
    void OnCancelJob(const Job& job);
    // The job whose command or cancel has the focus and is cancellable; null: none.
    const Job* FocusedCancellableJob() const;
    fw::CMsgResult OnTimer(UINT_PTR timer);
    fw::CMsgResult OnCommand(WPARAM wp);
    void OnSettingChange(UINT message, WPARAM wp, LPARAM lp);
    LRESULT DefaultCommandId() const;
    void OnDestroy();
    std::wstring Word(TranslationKey key) { return m_translation.GetWord(kTranslationKeys[key]); }

    // The arrangement at a density (installer_dlg_layout.cpp). First: before
    // the Windows version is known, with every command hidden.
    void ArrangeAtDensity(int dpi, bool first);
    void SortControls();
    void PlaceControls(bool first);
    void ApplyLook();
    void OnDpiChanged(int dpi, const RECT& suggested);
    SIZE SizeAtDensity(int dpi) const;

    // The status line (installer_dlg_status.cpp): fitted to its three lines,
    // a job's progress at most four times a second, told to screen readers
    // at a new phase, each quarter of a download and every outcome.
    void ShowStatusTextHere(const std::wstring& text, bool announce);
    void FitStatusFont(const std::wstring& text);
    void OnProgress(const JobProgress& progress);
    void ShowProgressText(std::size_t job, bool now);
    void OnStatusTimer(std::size_t job);
    // Whether the no-connection message is to open (on the job's thread).
    bool TellHere(const Job& job, const JobOutcome& outcome);

    // The adapter's line above the commands (installer_dlg_device.cpp):
    // looked at after the first paint, when devices change and after each
    // job; never waited for.
    void LookAtAdapter();
    void OnAdapterLooked(const std::vector<JobLook>& looks);
    void PlaceDeviceLine();
    void FitDeviceFont();

    // Bars, cancels and the taskbar (installer_dlg_progress.cpp).
    void ShowBar(const Job& job, const JobProgress& progress, bool newPhase);
    void UpdateTaskbar();
    bool OnTaskbarButtonCreated();

    // /passive (installer_dlg_passive.cpp).
    void StartPassiveRun();
    void OnPassiveRunDone();
    void ClosePassiveWindow();

    // Painting (installer_dlg_paint.cpp).
    BOOL OnEraseBkgnd(HDC dc);
    void PaintBackground(HDC dc, const RECT& rect);
    void PaintLogo(HDC dc, int width);
    HBRUSH OnCtlColor(HDC dc, HWND control);
    bool OnPaint();

    HICON m_hIcon = nullptr;
    CLogoImage m_logo;
    WindowArrangement m_arrangement;
    fw::CFont m_font;
    fw::CFont m_statusFont;  // the status text's when it needs a smaller one
    HFONT m_statusFontInUse = nullptr;
    int m_statusTenths = 0;
    int m_gap = 0;
    bool m_highContrast = false;
    bool m_liveRegion = false;
    bool m_bluetoothOffered = false;  // offered on this Windows
    bool m_passive = false;
    std::atomic<bool> m_passiveRunning{false};
    ExitCode m_passiveCode = kExitDone;
    CTranslation m_translation;
    const NumberFacts m_figures = sys::UserNumberFacts();  // the user's locale writes the status line's figures
    CImageButton m_buttons[kJobCount];
    fw::CProgressCtrl m_bars[kJobCount];  // none for a job without a bar
    CCancelButton m_cancels[kJobCount];   // the same
    fw::CStatic m_status;
    fw::CStatic m_device;
    fw::CFont m_deviceFont;
    HFONT m_deviceFontInUse = nullptr;
    bool m_lookingAtAdapter = false, m_lookAgain = false;
    std::atomic<int> m_adapterLooks{0};

    // What each job last reported, and its cancel.
    struct JobView {
        JobProgress progress{JobId::Wifi, JobPhase::Ended, {}};
        JobProgress announced{JobId::Wifi, JobPhase::Ended, {}};  // what screen readers were last told of
        int percent = -2;                  // the bar's position; -1: busy
        unsigned long long statusMs = 0;   // when the status line last showed its progress
        bool statusOurs = false;           // the status line shows its progress now
    };
    JobView m_views[kJobCount];
    CCancelToken m_cancelTokens[kJobCount];
    CCancelToken m_passiveCancel;
    bool m_failed = false;  // for the taskbar: the last job to end failed
    std::unique_ptr<ITaskbarButton> m_taskbar;
    bool m_ownTaskbar = false;
    void StartCom();
    std::unique_ptr<sys::CComInit> m_com;  // from its first use for the window's life, on its thread
};
