#include "app/installer_app.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <cwchar>

#include "app/console_win.h"
#include "app/desktop_win.h"
#include "app/dll_search_win.h"
#include "app/installer_dlg.h"
#include "i18n/translation.h"
#include "install/system_win.h"
#include "log/run_log.h"
#include "quiet/detect_run.h"
#include "quiet/layout_run.h"
#include "quiet/quiet_run.h"
#include "sys/debugger_log_win.h"
#include "sys/log.h"
#include "sys/platform.h"
#include "sys/cancel_token.h"
#include "sys/settings.h"
#include "sys/text_util.h"

namespace {
CInstallerApp theApp;

// Unattended, Ctrl+C, Ctrl+Break and closing the console cancel the run.
CCancelToken g_unattendedCancel;
std::atomic<bool> g_unattendedDone{false};

BOOL WINAPI OnConsoleSignal(DWORD signal) {
    sys::Log(std::wstring(L"console: ") +
             (signal == CTRL_C_EVENT ? L"Ctrl+C" : signal == CTRL_BREAK_EVENT ? L"Ctrl+Break" : L"closed") +
             L": the run is cancelled");
    g_unattendedCancel.Cancel();
    // Windows ends the process once this returns from a close: first the run's end goes to the log.
    if (signal != CTRL_C_EVENT && signal != CTRL_BREAK_EVENT)
        for (int waited = 0; waited < 40 && !g_unattendedDone; ++waited) ::Sleep(100);
    return TRUE;
}

// The console the run was started from, if any, sends it its Ctrl+C.
void CancelOnConsoleSignals() {
    ::AttachConsole(ATTACH_PARENT_PROCESS);
    ::SetConsoleCtrlHandler(nullptr, FALSE);  // Ctrl+C too, should the caller have switched it off
    ::SetConsoleCtrlHandler(OnConsoleSignal, TRUE);
}

// The whole unattended run; its exit code. Installers it starts are waited for.
ExitCode RunQuietInstall(const RunChoices& run, IJobSystem& system) {
    CTranslation translation;
    translation.Load();
    return RunQuiet(run, system,
                    [&translation](TranslationKey key) { return translation.GetWord(kTranslationKeys[key]); },
                    [](const std::wstring& text) { sys::Log(text); });
}

std::wstring BuildLine() {
    std::wstring features;
    for (const Job& job : kJobs)
        features += std::wstring(features.empty() ? L"" : L", ") + job.name + (Offered(job) ? L" on" : L" off");
    const Settings& s = g_settings;
    return L"build: " + features + L"; service " + Widen(s.serviceHost) + L"; package signer \"" + s.packageSigner +
           L"\"" + (s.packageSigner.empty() && s.unsignedPackagesAllowed ? L" (none: installers start unsigned)" : L"") +
           L"; archiver sha256 " + Widen(s.archiverSha256);
}
}  // namespace

namespace {
const wchar_t* ModeName(RunMode mode) {
    switch (mode) {
    case RunMode::Window: return L"window";
    case RunMode::Passive: return L"passive";
    case RunMode::Quiet: return L"quiet";
    case RunMode::Detect: return L"detect";
    case RunMode::Layout: break;
    }
    return L"layout";
}
}  // namespace

void CInstallerApp::LogRunHeader(const RunChoices& run) {
    sys::Log(L"Installer " + Widen(sys::GetProgramVersion()) + L" started: " + ::GetCommandLineW());
    const std::wstring windows = KernelVersion(true);  // fast: the window waits for this line
    sys::Log(L"Windows " + (windows.empty() ? L"(unknown)" : windows));
    wchar_t langId[8] = {};
    std::swprintf(langId, 8, L"%04x", sys::UserUiLanguage());
    sys::Log(L"UI language " + std::wstring(langId) + L", texts from section " + CTranslation::GetLanguageCode() +
             (run.language.empty() ? L"" : L" (chosen by /lang)"));
    sys::Log(BuildLine());
    const bool acting = run.mode == RunMode::Quiet && !run.quiet;
    sys::Log(std::wstring(L"mode: ") + ModeName(run.mode) +
             (run.mode == RunMode::Layout ? L" into " + run.layoutFolder : L"") +
             (acting ? L" (no visible desktop: nobody could see a window)" : L"") +
             (run.sourceFolder.empty() ? L"" : L", packages from " + run.sourceFolder) +
             (run.offline ? L", offline" : L"") + L", log " + RunLogPath());
}

ExitCode CInstallerApp::InitInstance(const RunChoices& run) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};  // what the windows use
    ::InitCommonControlsEx(&controls);
    ::RegisterApplicationRestart(nullptr, 0);  // restart only: no recovery, no autosave
    CInstallerDlg dialog(nullptr);
    if (run.mode == RunMode::Passive) dialog.RunPassively();
    dialog.DoModal();
    return dialog.PassiveExitCode();
}

const RunChoices& CInstallerApp::StartRun() {
    sys::AddLogSink(sys::DebuggerLog());
    sys::AddLogSink(RunLog());
    g_settings.run = ChooseRun(ProgramArguments(), DesktopVisible());
    const RunChoices& run = g_settings.run;
    // Unattended, nobody could answer a system error box.
    if (run.unattended) ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    // A file named on the command line is used only when the whole line is valid.
    const std::wstring logFile = run.error.empty() ? run.logFile : L"";
    if (!OpenRunLog(logFile)) sys::Log(L"the log file could not be opened: " + logFile);
    return run;
}

void CInstallerApp::RefuseWithoutKb2533623() {
    LogRunHeader(StartRun());
    sys::Log(L"this Windows lacks KB2533623 (SetDefaultDllDirectories): without it Windows would load system DLLs "
             L"from the program's folder, so nothing is run; exit code " + std::to_wstring(kExitWindowsTooOld));
    if (!g_settings.run.unattended) {
        CTranslation translation;
        translation.Load();
        const std::wstring title = L"USB Bluetooth Wireless Adapter (" + Widen(sys::GetProgramVersion()) + L")";
        ::MessageBoxW(nullptr, translation.GetWord(kTranslationKeys[kNeedsKb2533623]).c_str(), title.c_str(),
                      MB_OK | MB_ICONERROR);
    }
    ::ExitProcess(kExitWindowsTooOld);
}

void CInstallerApp::Run() {
    const RunChoices& run = StartRun();
    const bool windowless = run.mode != RunMode::Window && run.mode != RunMode::Passive;
    if (windowless) StartWindowsQuery();  // WMI takes its time: under way while the log starts
    LogRunHeader(run);
    if (!run.error.empty() || run.help) {
        if (!run.error.empty()) sys::Log(L"usage error: " + run.error);
        // Unattended, no message box: the log is where the caller finds the usage.
        if (run.unattended) sys::Log(L"usage:\n" + UsageText());
        ShowUsage(run.error, run.unattended);
        const ExitCode code = run.error.empty() ? kExitDone : kExitUsage;
        sys::Log(L"exit code " + std::to_wstring(code));
        ::ExitProcess(code);
    }
    if (windowless) {
        CancelOnConsoleSignals();
        CWindowsJobSystem system(true, &g_unattendedCancel);
        const auto log = [](const std::wstring& text) { sys::Log(text); };
        const ExitCode code =
            run.mode == RunMode::Layout   ? RunLayout(run, system, log)
            : run.mode == RunMode::Detect ? RunDetect(run, system, log, [](const std::wstring& line) {
                                                if (!WriteToCaller(line + L"\r\n")) sys::Log(L"no standard output for: " + line);
                                            })
                                          : RunQuietInstall(run, system);
        sys::Log(L"exit code " + std::to_wstring(code));
        g_unattendedDone = true;
        ::ExitProcess(code);
    }
    const ExitCode code = InitInstance(run);
    sys::Log(L"the window was closed");
    if (run.mode == RunMode::Passive) sys::Log(L"exit code " + std::to_wstring(code));
    // Jobs are not waited for and may still use the window object: end the
    // process while it is alive rather than free it under them.
    ::ExitProcess(code);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (!LimitDllSearchToSystem32()) theApp.RefuseWithoutKb2533623();
    theApp.Run();
}
