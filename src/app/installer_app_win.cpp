#include "app/installer_app.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <cwchar>

#include "app/console_win.h"
#include "app/installer_dlg.h"
#include "build_settings.h"
#include "i18n/translation.h"
#include "install/download_install.h"
#include "install/system_win.h"
#include "log/run_log.h"
#include "quiet/quiet_job.h"
#include "sys/platform.h"

namespace {
CInstallerApp theApp;

// From ntdll, which tells the truth whatever the manifest says, and fast:
// the window waits for this line.
std::wstring WindowsVersion() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    const auto get = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!get || get(&info) != 0) return L"(unknown)";
    return std::to_wstring(info.dwMajorVersion) + L"." + std::to_wstring(info.dwMinorVersion) + L"." +
           std::to_wstring(info.dwBuildNumber) + (info.szCSDVersion[0] ? L" " + std::wstring(info.szCSDVersion) : L"") +
           (info.wProductType == VER_NT_WORKSTATION ? L", workstation" : L", server");
}

std::wstring OnOff(bool on) { return on ? L"on" : L"off"; }
std::wstring Wide(const char* text) { return std::wstring(text, text + std::strlen(text)); }

// The whole unattended run; its exit code.
ExitCode RunQuietInstall(const CommandLine& line, const bool (&offered)[kFeatureCount]) {
    CTranslation translation;
    translation.Load();
    CWindowsJobSystem system;
    return RunQuiet(line, offered, system,
                    [&translation](TranslationKey key) { return translation.GetWord(kTranslationKeys[key]); },
                    [](const std::wstring& text) { sys::Log(text); });
}

// Before any DLL is loaded on demand: from System32 only, never from the
// program's folder or the current one. Looked up, not imported, because
// Windows 7 has it only with an update.
void LoadDllsFromSystem32Only() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryW(L"");
}
}  // namespace

void CInstallerApp::LogRunHeader(const CommandLine& line) {
    const std::string version = sys::GetProgramVersion();
    sys::Log(L"Installer " + std::wstring(version.begin(), version.end()) + L" started: " + ::GetCommandLineW());
    sys::Log(L"Windows " + WindowsVersion());
    wchar_t langId[8] = {};
    std::swprintf(langId, 8, L"%04x", sys::UserUiLanguage());
    sys::Log(L"UI language " + std::wstring(langId) + L", texts from section " + CTranslation::GetLanguageCode() +
             (line.language.empty() ? L"" : L" (chosen by /lang)"));
    sys::Log(L"build: Wi-Fi " + OnOff(build::kFeatureWifi) + L", Bluetooth " + OnOff(build::kFeatureBluetooth) +
             L", hotspot " + OnOff(build::kFeatureHotspot) + L", receiver " + OnOff(build::kFeatureReceiver) +
             L", service " + Wide(build::kServiceHost) + L", package signer \"" +
             g_packageSigner + L"\"");
    sys::Log(std::wstring(L"mode: ") + (line.quiet ? L"quiet" : L"window") + L", log " + sys::RunLogPath());
}

void CInstallerApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, 0xFF};
    ::InitCommonControlsEx(&controls);
    ::RegisterApplicationRestart(nullptr, 0);  // restart only: no recovery, no autosave
    const fw::CGdiplusSession gdiplus;
    CInstallerDlg dialog(nullptr);
    dialog.DoModal();
}

void CInstallerApp::Run() {
    CommandLine line = ParseCommandLine(ProgramArguments());
    const bool offered[kFeatureCount] = {g_featureWifi, g_featureBluetooth, g_featureHotspot, g_featureReceiver};
    RejectUnoffered(line, offered);
    g_languageOverride = line.language;
    if (!sys::OpenRunLog(line.logFile)) sys::Log(L"the log file could not be opened: " + line.logFile);
    LogRunHeader(line);
    if (!line.error.empty() || line.help) {
        if (!line.error.empty()) sys::Log(L"usage error: " + line.error);
        ShowUsage(line.error, line.quiet);
        ::ExitProcess(line.error.empty() ? kExitDone : kExitUsage);
    }
    if (line.quiet) {
        const ExitCode code = RunQuietInstall(line, offered);
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
    LoadDllsFromSystem32Only();
    theApp.Run();
}
