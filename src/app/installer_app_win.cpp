#include "app/installer_app.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <cwchar>

#include "app/console_win.h"
#include "app/dll_search_win.h"
#include "app/installer_dlg.h"
#include "i18n/translation.h"
#include "install/system_win.h"
#include "log/run_log.h"
#include "quiet/layout_run.h"
#include "quiet/quiet_run.h"
#include "sys/debugger_log_win.h"
#include "sys/log.h"
#include "sys/platform.h"
#include "sys/settings.h"
#include "sys/text_util.h"

namespace {
CInstallerApp theApp;

// The whole unattended run; its exit code. Installers it starts are waited for.
ExitCode RunQuietInstall(const CommandLine& line) {
    CTranslation translation;
    translation.Load();
    CWindowsJobSystem system(true);
    return RunQuiet(line, system,
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

void CInstallerApp::LogRunHeader(const CommandLine& line) {
    sys::Log(L"Installer " + Widen(sys::GetProgramVersion()) + L" started: " + ::GetCommandLineW());
    const std::wstring windows = KernelVersion(true);  // fast: the window waits for this line
    sys::Log(L"Windows " + (windows.empty() ? L"(unknown)" : windows));
    wchar_t langId[8] = {};
    std::swprintf(langId, 8, L"%04x", sys::UserUiLanguage());
    sys::Log(L"UI language " + std::wstring(langId) + L", texts from section " + CTranslation::GetLanguageCode() +
             (line.language.empty() ? L"" : L" (chosen by /lang)"));
    sys::Log(BuildLine());
    sys::Log(std::wstring(L"mode: ") + (!line.layoutFolder.empty() ? L"layout into " + line.layoutFolder
                                       : line.quiet ? L"quiet" : L"window") +
             (line.sourceFolder.empty() ? L"" : L", packages from " + line.sourceFolder) +
             (line.offline ? L", offline" : L"") + L", log " + RunLogPath());
}

void CInstallerApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, 0xFF};
    ::InitCommonControlsEx(&controls);
    ::RegisterApplicationRestart(nullptr, 0);  // restart only: no recovery, no autosave
    CInstallerDlg dialog(nullptr);
    dialog.DoModal();
}

CommandLine CInstallerApp::StartRun() {
    sys::AddLogSink(sys::DebuggerLog());
    sys::AddLogSink(RunLog());
    const CommandLine line = ParseCommandLine(ProgramArguments());
    g_languageOverride = line.language;
    g_settings.proxy = line.proxy;
    if (line.quiet || !line.layoutFolder.empty()) {
        // Unattended, nobody could answer a prompt or a system error box;
        // and the machine's proxy is WinHTTP's, which SYSTEM needs.
        g_settings.mayAskUser = false;
        g_settings.httpLibrary = HttpLibrary::WinHttp;
        ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    }
    // A file named on the command line is used only when the whole line is valid.
    const std::wstring logFile = line.error.empty() ? line.logFile : L"";
    if (!OpenRunLog(logFile)) sys::Log(L"the log file could not be opened: " + logFile);
    return line;
}

void CInstallerApp::RefuseWithoutKb2533623() {
    const CommandLine line = StartRun();
    LogRunHeader(line);
    sys::Log(L"this Windows lacks KB2533623 (SetDefaultDllDirectories): without it Windows would load system DLLs "
             L"from the program's folder, so nothing is run; exit code " + std::to_wstring(kExitWindowsTooOld));
    if (g_settings.mayAskUser) {
        CTranslation translation;
        translation.Load();
        const std::wstring title = L"USB Bluetooth Wireless Adapter (" + Widen(sys::GetProgramVersion()) + L")";
        ::MessageBoxW(nullptr, translation.GetWord(kTranslationKeys[kNeedsKb2533623]).c_str(), title.c_str(),
                      MB_OK | MB_ICONERROR);
    }
    ::ExitProcess(kExitWindowsTooOld);
}

void CInstallerApp::Run() {
    const CommandLine line = StartRun();
    g_settings.packageSource = line.sourceFolder;
    g_settings.offline = line.offline;
    const bool layout = !line.layoutFolder.empty();
    if (line.quiet || layout) StartWindowsQuery();  // WMI takes its time: under way while the log starts
    LogRunHeader(line);
    if (!line.error.empty() || line.help) {
        if (!line.error.empty()) sys::Log(L"usage error: " + line.error);
        ShowUsage(line.error, line.quiet);
        ::ExitProcess(line.error.empty() ? kExitDone : kExitUsage);
    }
    if (line.quiet || layout) {
        CWindowsJobSystem system(true);
        const ExitCode code = layout ? RunLayout(line, system, [](const std::wstring& text) { sys::Log(text); })
                                     : RunQuietInstall(line);
        sys::Log(L"exit code " + std::to_wstring(code));
        ::ExitProcess(code);
    }
    InitInstance();
    sys::Log(L"the window was closed");
    // Jobs are not waited for and may still use the window object: end the
    // process while it is alive rather than free it under them.
    ::ExitProcess(kExitDone);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (!LimitDllSearchToSystem32()) theApp.RefuseWithoutKb2533623();
    theApp.Run();
}
