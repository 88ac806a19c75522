// The shipped program as a user meets it: the bundled Installer.exe started
// on its own, found by its title and used through its buttons only. Run once
// per UI language; every text is checked against that language's section.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include <boost/property_tree/ptree.hpp>

#include "devservice_win.h"
#include "i18n/catalogue.h"
#include "install/telling.h"
#include "log/run_log.h"
#include "net/transfer.h"
#include "installer_process_win.h"
#include "screen_win.h"
#include "sys/handle_win.h"
#include "sys/utf8.h"
#include "test_adapter_win.h"
#include "wine_helpers_win.h"

namespace {

std::wstring Bundle(const std::wstring& relative = L"") {
    return test::HostPath(INSTALLER_BUNDLE_DIR) + (relative.empty() ? L"" : L"\\" + relative);
}

class AcceptanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::Exists(Bundle(L"Installer.exe"))) << "the bundle fixture did not run";
        // The vendor adds these two beside the bundle; here the stand-ins do: the
        // archiver shim this build pinned, the Wi-Fi setup signed by the test signer.
        ::CopyFileW((test::ProgramFolder() + L"data\\7za.exe").c_str(), Bundle(L"data\\7za.exe").c_str(), FALSE);
        PutWifiSetup("wifi.exe");
        ::SetEnvironmentVariableW(L"INSTALLER_WIFI_STANDIN", Bundle(L"data\\WifiAutoInstallSetup").c_str());
        SetWifiOutcome(0);
        test::ClearWorkFolder();
        test::TakeRequests();
        LoadExpectedTexts();
    }

    static void PutWifiSetup(const char* signedAs) {
        ::CopyFileW(test::ServiceFile(signedAs).c_str(), Bundle(L"data\\WifiAutoInstallSetup.exe").c_str(), FALSE);
    }

    static void SetWifiOutcome(int exitCode) {
        std::ofstream(std::filesystem::path(Bundle(L"data\\WifiAutoInstallSetup.cfg"))) << exitCode << " 500";
    }

    void LoadExpectedTexts() {
        const char* code = std::getenv("INSTALLER_EXPECTED_LANGUAGE");
        const std::string narrow = code ? code : "eng";
        boost::property_tree::wptree tree;
        ASSERT_TRUE(ParseCatalogue(test::ReadBytes(Bundle(L"data\\translation.json")), tree));
        ASSERT_TRUE(CopySection(tree, std::wstring(narrow.begin(), narrow.end()), m_texts)) << narrow;
    }
    std::wstring Text(TranslationKey key) { return m_texts.at(kTranslationKeys[key]); }

    static void ServeBluetooth(const std::string& rule, const std::string& more = "") {
        test::SetServiceScript(R"({"/api/rx/RealtekDrivers": {"body": ")" + Escaped(test::PackageAnswer("bt_top.zip")) +
                               R"("}, "/files/bt_top.zip": )" + rule + more + "}");
    }
    // The service's rule for a proxy script naming the test proxy at that port offset; none for 0.
    static std::string ScriptFor(int proxyOffset) {
        if (!proxyOffset) return std::string();
        return R"(, "/proxy.pac": {"content_type": "application/x-ns-proxy-autoconfig", "body": "function FindProxyForURL(url, host) { return \"PROXY 127.0.0.1:)" +
               std::to_string(INSTALLER_TEST_SERVICE_PORT + proxyOffset) + R"(\"; }"})";
    }
    static std::string Escaped(const std::string& json) {
        std::string out;
        for (char c : json) { if (c == '"' || c == '\\') out += '\\'; out += c; }
        return out;
    }

    CatalogueWords m_texts;
};

}  // namespace

namespace {
// Where the program keeps its default logs: the work folder's, which only
// administrators can change.
std::wstring LogFolder() { return test::WorkFolder(L"logs") + L"\\"; }

// The default logs, oldest first.
std::vector<std::wstring> DefaultLogs() {
    std::vector<std::wstring> names;
    for (const std::wstring& name : test::Names(LogFolder()))
        if (name.rfind(L"Installer_", 0) == 0) names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

// What the program's newest default log says, for a failure's message.
std::string NewestDefaultLog() {
    const std::vector<std::wstring> logs = DefaultLogs();
    return logs.empty() ? std::string() : "\nthe program's log:\n" + test::ReadBytes(LogFolder() + logs.back());
}
}  // namespace

TEST_F(AcceptanceTest, OpensWithTitleAndCaptionsOfTheUserLanguage) {
    test::CInstallerProcess installer(Bundle(L"Installer.exe"));
    ASSERT_TRUE(installer.Window());
    EXPECT_EQ(installer.Text(installer.Window()), screen::InstallerTitle());
    EXPECT_EQ(installer.Text(installer.Control(IDC_BTN_WIFI)), Text(kInstallWifi));
    EXPECT_EQ(installer.Text(installer.Control(IDC_BTN_BLUETOOTH)), Text(kInstallBt));
    EXPECT_TRUE(installer.Visible(IDC_BTN_WIFI));
    EXPECT_TRUE(installer.Visible(IDC_BTN_BLUETOOTH));
    EXPECT_FALSE(installer.Visible(IDC_PROGRESS_BLUETOOTH));
    installer.CloseBox();
    DWORD code = 1;
    EXPECT_TRUE(installer.WaitExit(10000, &code));
    EXPECT_EQ(code, 0u);
}

TEST_F(AcceptanceTest, WifiReportsSuccessAndStaysQuietOnFailure) {
    test::CInstallerProcess installer(Bundle(L"Installer.exe"));
    ASSERT_TRUE(installer.Window());
    installer.Click(IDC_BTN_WIFI);
    EXPECT_EQ(installer.WaitStatusChange(L"", 15000),
              StatusText({false, {kWifiInstalled, kHintDlBt}}, [this](TranslationKey key) { return Text(key); }));

    SetWifiOutcome(1603);
    test::CInstallerProcess second(Bundle(L"Installer.exe"));
    ASSERT_TRUE(second.Window());
    second.Click(IDC_BTN_WIFI);
    EXPECT_EQ(second.WaitStatusChange(L"", 4000), L"");
}

TEST_F(AcceptanceTest, BluetoothDownloadsUnpacksAndStartsSetup) {
    ServeBluetooth(R"({"file": "bt_top.zip"})");
    test::CInstallerProcess installer(Bundle(L"Installer.exe"));
    ASSERT_TRUE(installer.Window());
    installer.Click(IDC_BTN_BLUETOOTH);
    const std::vector<std::wstring> starts = test::WaitStandInStarts(30000);
    ASSERT_EQ(starts.size(), 1u) << "status line: " << WideToUtf8(installer.StatusText()) << NewestDefaultLog();
    const auto jobs = test::JobFolders();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(test::StartedPath(starts[0]), jobs[0] + L"\\package\\Setup.exe");
    // The status line follows a quarter of a second behind.
    std::wstring status = installer.StatusText();
    if (status != Text(kSetupStarted)) status = installer.WaitStatusChange(status, 5000);
    EXPECT_EQ(status, Text(kSetupStarted));
    EXPECT_FALSE(installer.FindMessage(0));
    EXPECT_FALSE(installer.Visible(IDC_PROGRESS_BLUETOOTH));
}

TEST_F(AcceptanceTest, ServiceDownShowsTheMessageAndTheWindowStillAnswers) {
    test::SetServiceScript(R"({"/api/rx/RealtekDrivers": {"drop": true}})");
    test::CInstallerProcess installer(Bundle(L"Installer.exe"));
    ASSERT_TRUE(installer.Window());
    installer.Click(IDC_BTN_BLUETOOTH);
    HWND message = installer.FindMessage(20000);
    ASSERT_TRUE(message);
    EXPECT_EQ(::GetWindow(message, GW_OWNER), installer.Window());
    EXPECT_TRUE(screen::InFront(message, installer.Window()));
    EXPECT_EQ(installer.Text(::GetDlgItem(message, IDC_NO_CONNECTION_TEXT)), Text(kHintNoInternet));
    EXPECT_TRUE(installer.Answers());
    EXPECT_TRUE(::IsWindowEnabled(installer.Window()));
    // Esc, pressed on the message, closes it.
    ::PostMessageW(::GetDlgItem(message, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageW(::GetDlgItem(message, IDOK), WM_KEYUP, VK_ESCAPE, 0);
    bool closed = false;
    for (int i = 0; i < 100 && !closed; ++i) {
        closed = !::IsWindow(message);
        ::Sleep(50);
    }
    EXPECT_TRUE(closed);
    EXPECT_TRUE(installer.Answers());
}

TEST_F(AcceptanceTest, DoubleClickRunsOneInstallation) {
    ServeBluetooth(R"({"file": "bt_top.zip"})");
    test::CInstallerProcess installer(Bundle(L"Installer.exe"));
    ASSERT_TRUE(installer.Window());
    installer.Click(IDC_BTN_BLUETOOTH);
    installer.Click(IDC_BTN_BLUETOOTH);
    const std::vector<std::wstring> starts = test::WaitStandInStarts(30000);
    ::Sleep(1500);
    const auto more = test::TakeStandInStarts();
    EXPECT_EQ(starts.size() + more.size(), 1u) << NewestDefaultLog();
    EXPECT_EQ(test::TakeRequests().size(), 2u);  // one question, one package
}

TEST_F(AcceptanceTest, ClosingDuringADownloadEndsCleanly) {
    ServeBluetooth(R"({"file": "big.bin", "chunk_delay_ms": 300})");
    test::CInstallerProcess installer(Bundle(L"Installer.exe"));
    ASSERT_TRUE(installer.Window());
    installer.Click(IDC_BTN_BLUETOOTH);
    bool downloading = false;
    for (int i = 0; i < 200 && !downloading; ++i) {
        downloading = installer.Visible(IDC_PROGRESS_BLUETOOTH);
        ::Sleep(50);
    }
    ASSERT_TRUE(downloading);
    installer.CloseBox();
    DWORD code = 1;
    ASSERT_TRUE(installer.WaitExit(10000, &code));
    EXPECT_EQ(code, 0u);  // ended, not crashed
    const auto jobs = test::JobFolders();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_FALSE(test::Exists(jobs[0] + L"\\bt_top.zip"));  // never a partial package under its name
}

namespace {
// A Downloads folder holding the program, its data and DLLs named like the
// system ones it loads on demand, each of which leaves a mark when loaded.
// Wine prefers its own builtin DLLs wherever a file lies, so for those names
// it is told to prefer files: then only the folders searched decide, as on
// Windows.
class CPlantedFolder {
public:
    explicit CPlantedFolder(const std::wstring& program)
        : m_downloads(L"Downloads"), m_preferFiles(L"Installer.exe", kPlanted) {
        m_downloads.Make(L"data", true);
        ::CopyFileW(program.c_str(), Path(L"Installer.exe").c_str(), FALSE);
        for (const wchar_t* file : {L"data\\translation.json", L"data\\7za.exe"})
            ::CopyFileW(Bundle(file).c_str(), Path(file).c_str(), FALSE);
        for (const wchar_t* name : kPlanted)
            ::CopyFileW((test::ProgramFolder() + L"planted_dll.dll").c_str(), Path(std::wstring(name) + L".dll").c_str(),
                        FALSE);
    }
    std::wstring Path(const std::wstring& name) const { return m_downloads.Path() + L"\\" + name; }
    std::vector<std::wstring> Loaded() const {
        std::vector<std::wstring> loaded;
        for (const wchar_t* name : kPlanted)
            if (test::Exists(Path(std::wstring(name) + L".dll.loaded"))) loaded.push_back(name);
        return loaded;
    }

private:
    // Not version.dll nor crypt32.dll: Wine's own user32 (at start) and wintrust
    // import them without regard to the program's search limit; on Windows
    // they come from System32 once the limit is set.
    static inline const std::vector<const wchar_t*> kPlanted = {L"wininet", L"wintrust", L"gdiplus", L"uxtheme",
                                                                L"comctl32"};
    test::CTempFolder m_downloads;
    test::CPreferFilesFor m_preferFiles;
};
}  // namespace

// Started from a Downloads folder where someone put DLLs named like the
// system ones the program loads on demand: through a whole Bluetooth
// installation none is loaded.
TEST_F(AcceptanceTest, PlantedDllsBesideTheProgramAreNeverLoaded) {
    const CPlantedFolder downloads(Bundle(L"Installer.exe"));
    ServeBluetooth(R"({"file": "bt_top.zip"})");
    {
        test::CInstallerProcess installer(downloads.Path(L"Installer.exe"));
        ASSERT_TRUE(installer.Window());
        installer.Click(IDC_BTN_BLUETOOTH);
        EXPECT_EQ(test::WaitStandInStarts(30000).size(), 1u);  // every DLL it needs was used
    }
    EXPECT_EQ(downloads.Loaded(), std::vector<std::wstring>{});
}

// Where Windows 7 lacks KB2533623 (a build that pretends so), Windows itself
// would load DLLs by name from the program's folder: the program runs nothing
// and says why, in a message in the user's language or, unattended, in its
// log with its exit code; what the message needs comes from System32.
TEST_F(AcceptanceTest, WithoutKb2533623NothingRunsAndTheUserIsTold) {
    const CPlantedFolder downloads(test::ProgramFolder() + L"installer_without_default_dll_directories.exe");
    ServeBluetooth(R"({"file": "bt_top.zip"})");
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::wstring commandLine = L"\"" + downloads.Path(L"Installer.exe") + L"\"";
    ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    const sys::CProcessHandles started(info);
    const HWND message = screen::WaitForWindow(info.dwProcessId, [](HWND hwnd) {
        return ::GetDlgItem(hwnd, 0xFFFF) != nullptr;  // a message box's text
    }, 20000);
    ASSERT_TRUE(message);
    wchar_t text[512] = {};
    ::GetDlgItemTextW(message, 0xFFFF, text, 512);
    EXPECT_EQ(std::wstring(text), Text(kNeedsKb2533623));
    ::PostMessageW(message, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(::WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    EXPECT_EQ(code, 1150u);  // ERROR_OLD_WIN_VERSION

    const std::wstring log = downloads.Path(L"quiet.log");
    std::wstring quiet = L"\"" + downloads.Path(L"Installer.exe") + L"\" /quiet /bluetooth /log \"" + log + L"\"";
    EXPECT_EQ(test::RunAndWait(quiet), 1150);
    const std::string written = test::ReadBytes(log);
    EXPECT_NE(written.find("lacks KB2533623"), std::string::npos) << written;
    EXPECT_NE(written.find("exit code 1150"), std::string::npos) << written;
    EXPECT_TRUE(test::TakeRequests().empty());
    EXPECT_TRUE(test::JobFolders().empty());
    EXPECT_EQ(downloads.Loaded(), std::vector<std::wstring>{});
}

namespace {
struct CQuietRun {
    DWORD code = 0xFFFFFFFF;
    std::string log, output;
    bool windowShown = false;
};

bool HasVisibleWindow(DWORD pid) {
    struct Search { DWORD pid; bool found; } search{pid, false};
    ::EnumWindows([](HWND hwnd, LPARAM param) {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s->pid && ::IsWindowVisible(hwnd)) s->found = true;
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The bundled program (or another beside it) run with arguments and a log
// named, waited for: its exit code, its log (the named one, or the default
// one it made when the command line was no valid one), its standard output
// (none is given without captured), and whether it ever showed a window.
CQuietRun RunBundled(const std::wstring& arguments, const std::wstring& logFile = L"",
                     const std::wstring& program = L"Installer.exe", bool captured = true) {
    static int runs = 0;
    test::CTempFolder folder(L"unattended-" + std::to_wstring(++runs));
    const std::wstring log = logFile.empty() ? folder.Path() + L"\\run.log" : logFile;
    const std::wstring out = folder.Path() + L"\\out.txt";
    const std::vector<std::wstring> before = DefaultLogs();
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    CQuietRun run;
    {
        sys::CFileHandle output(::CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!output.Valid()) return run;
        std::wstring commandLine = L"\"" + Bundle(program) + L"\" " + arguments + L" /log \"" + log + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = captured ? STARTF_USESTDHANDLES : 0;
        startup.hStdOutput = startup.hStdError = captured ? output.Get() : nullptr;
        PROCESS_INFORMATION info = {};
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
            return run;
        const sys::CProcessHandles started(info);
        for (DWORD waited = 0; ::WaitForSingleObject(info.hProcess, 50) == WAIT_TIMEOUT; waited += 50) {
            run.windowShown = run.windowShown || HasVisibleWindow(info.dwProcessId);
            if (waited > 120000) ::TerminateProcess(info.hProcess, 99);
        }
        ::GetExitCodeProcess(info.hProcess, &run.code);
    }
    run.log = test::ReadBytes(log);
    for (const std::wstring& name : DefaultLogs())
        if (std::find(before.begin(), before.end(), name) == before.end()) run.log += test::ReadBytes(LogFolder() + name);
    run.output = test::ReadBytes(out);
    return run;
}
}  // namespace

// Unattended runs as a deployment tool starts them: each ends with the code
// that says what happened, writes what happened to its log, and never shows a
// window, not even when a proxy wants a password. Their requests go through
// the machine's WinHTTP proxy (SYSTEM has no Internet Options of its own), or
// the one /proxy names. proxy: the test proxy the machine's setting names
// (4 open, 5 with a password), 0 none.
TEST_F(AcceptanceTest, UnattendedRunsEndWithTheirExitCodeAndLog) {
    // Named by address: Wine's WinHTTP hangs connecting to a proxy named localhost.
    const std::wstring openProxy = L" /proxy 127.0.0.1:" + std::to_wstring(INSTALLER_TEST_SERVICE_PORT + 4);
    const struct { const char* name; std::wstring args; const char* service; int wifi; const wchar_t* setupExit;
                   const char* wifiSetup; int proxy; DWORD code; std::vector<std::string> logged; std::size_t requests;
                   bool proxied; int scriptedProxy = 0; } cases[] = {
        {"all done", L"/quiet", "bt_top.zip", 0, L"0", "wifi.exe", 0, 0,
         {"installing the Wi-Fi driver", "WifiAutoInstallSetup.exe", "it ended with exit code 0",
          "GET https://localhost:", "/api/rx/RealtekDrivers", ": HTTP 200, ", "signature of ", " is valid, signer ",
          "revocation of the signature of ", "could not be checked (error 12157): asking again without", "7za.exe\" x -tzip ", "package\\Setup.exe\"", "exit code 0"}, 2, false},
        {"setup asks for a restart", L"/quiet /bluetooth", "bt_top.zip", 0, L"3010", "wifi.exe", 0, 3010,
         {"it ended with exit code 3010", "exit code 3010"}, 2, false},
        // Windows is shutting down: the Bluetooth job never asks the service.
        {"Wi-Fi setup restarts Windows", L"/quiet", "bt_top.zip", 1641, L"0", "wifi.exe", 0, 1641,
         {"Windows is restarting: no further job is started", "exit code 1641"}, 0, false},
        {"another installation in progress", L"/quiet /bluetooth", "bt_top.zip", 0, L"1618", "wifi.exe", 0, 1618,
         {"found another installation in progress (code 1618)", "exit code 1618"}, 2, false},
        {"Wi-Fi setup fails", L"-QUIET -WiFi", "bt_top.zip", 1, L"0", "wifi.exe", 0, 1603,
         {"it ended with exit code 1", "exit code 1603"}, 0, false},
        {"Wi-Fi setup missing", L"/quiet /wifi", "bt_top.zip", 0, L"0", nullptr, 0, 2,
         {"could not be read beside the installer", "exit code 2"}, 0, false},
        {"Wi-Fi setup someone else signed", L"/quiet /wifi", "bt_top.zip", 0, L"0", "wifi_other.exe", 0, 577,
         {"a program beside the installer was refused: data\\WifiAutoInstallSetup.exe", "exit code 577"}, 0, false},
        {"service down", L"/quiet /bluetooth", nullptr, 0, L"0", "wifi.exe", 0, 12029,
         {"connection failed or dropped", "trying https://localhost:", "message: ", "exit code 12029"}, kMaxAttempts, false},
        {"through the machine's proxy", L"/quiet /bluetooth", "bt_top.zip", 0, L"0", "wifi.exe", 4, 0,
         {"proxy: ", "(the machine's WinHTTP proxy)", "exit code 0"}, 2, true},
        // Windows' sign-in goes to no proxy a script or WPAD found, which a hostile network names:
        // the request goes through the proxy the user's script names and carries nothing for it.
        // (Wine ends the tunnel's 407 before the program sees it; the decision is tested natively.)
        {"a proxy the user's script names wants sign-in", L"/quiet /bluetooth", "bt_top.zip", 0, L"0", "wifi.exe", 0,
         12029, {"names for localhost: 127.0.0.1:", "exit code 12029"}, 1, true, 6},

        // Nobody could answer the proxy's password prompt: it never opens. (Wine's
        // WinHTTP ends a tunnel's 407 as a secure-channel error, so the log's reason
        // differs there.)
        {"proxy wants a password", L"/quiet /bluetooth", "bt_top.zip", 0, L"0", "wifi.exe", 5, 12029,
         {"exit code 12029"}, 0, true},
        {"/proxy wins over the machine's", L"/quiet /bluetooth" + openProxy, "bt_top.zip", 0, L"0", "wifi.exe", 5, 0,
         {"(given by /proxy)", "exit code 0"}, 2, true},
        {"/proxy without a port", L"/quiet /proxy localhost", "bt_top.zip", 0, L"0", "wifi.exe", 0, 1639,
         {"usage error: not a proxy's HOST:PORT: localhost"}, 0, false},
        {"unsigned setup", L"/quiet /bluetooth", "bt_unsigned.zip", 0, L"0", "wifi.exe", 0, 577,
         {"package refused: ", "exit code 577"}, 2, false},
        {"language chosen", L"/quiet /wifi /lang DEU", "bt_top.zip", 0, L"0", "wifi.exe", 0, 0,
         {"texts from section deu (chosen by /lang)", "status text: Der WLAN-Treiber"}, 0, false},
        {"unknown language", L"/quiet /lang xx", "bt_top.zip", 0, L"0", "wifi.exe", 0, 1639,
         {"usage error: unknown language xx"}, 0, false},
        {"unknown switch", L"/quiet /fast", "bt_top.zip", 0, L"0", "wifi.exe", 0, 1639,
         {"usage error: unknown switch /fast"}, 0, false},
        {"not in this build", L"/quiet /hotspot", "bt_top.zip", 0, L"0", "wifi.exe", 0, 1639,
         {"usage error: this build does not offer /hotspot"}, 0, false},
        {"usage", L"/?", "bt_top.zip", 0, L"0", "wifi.exe", 0, 0, {"mode: window"}, 0, false},
        // The window, its jobs started by themselves; it closes itself when they are done.
        {"passive", L"/passive /bluetooth", "bt_top.zip", 0, L"3010", "wifi.exe", 0, 3010,
         {"mode: passive", "package\\Setup.exe\"", "the window closed itself", "exit code 3010"}, 2, false},
        {"passive, service down", L"/passive", nullptr, 0, L"0", "wifi.exe", 0, 12029,
         {"it ended with exit code 0", "status text: ", "the window closed itself", "exit code 12029"}, kMaxAttempts, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TakeProxyLog();
        if (c.service) ServeBluetooth(R"({"file": ")" + std::string(c.service) + R"("})", ScriptFor(c.scriptedProxy));
        else test::SetServiceScript(R"({"/api/rx/RealtekDrivers": {"drop": true}})");
        SetWifiOutcome(c.wifi);
        if (c.wifiSetup) PutWifiSetup(c.wifiSetup);
        else ::DeleteFileW(Bundle(L"data\\WifiAutoInstallSetup.exe").c_str());
        ::SetEnvironmentVariableW(L"INSTALLER_STANDIN_EXIT", c.setupExit);
        test::TakeRequests();
        test::TakeStandInStarts();

        CQuietRun run;
        {
            std::unique_ptr<test::CMachineProxy> proxy;
            if (c.proxy) proxy = std::make_unique<test::CMachineProxy>(
                "127.0.0.1:" + std::to_string(INSTALLER_TEST_SERVICE_PORT + c.proxy));
            std::unique_ptr<test::CUserProxyScript> script;
            if (c.scriptedProxy) script = std::make_unique<test::CUserProxyScript>(test::ServiceUrl("/proxy.pac"));
            run = RunBundled(c.args);
        }
        EXPECT_EQ(run.code, c.code);
        for (const std::string& line : c.logged) EXPECT_NE(run.log.find(line), std::string::npos) << line << "\n" << run.log;
        EXPECT_EQ(test::TakeRequests().size(), c.requests);
        const std::vector<std::string> tunnelled = test::TakeProxyLog();
        EXPECT_EQ(!tunnelled.empty(), c.proxied);
        for (const std::string& line : tunnelled) {
            EXPECT_NE(line.find("CONNECT localhost:"), std::string::npos) << line;
            EXPECT_NE(line.find("\"credentials\": false"), std::string::npos) << line;
        }
        const bool passive = c.args.find(L"/passive") != std::wstring::npos;
        EXPECT_EQ(run.windowShown, passive);
        EXPECT_TRUE(!passive || run.log.find("message: ") == std::string::npos) << "a message nobody may answer";
        // The usage goes to the caller's standard output, for /? and after a usage error.
        EXPECT_EQ(run.output.find("Exit codes") != std::string::npos, c.code == 1639 || c.args == L"/?")
            << run.output << "\nlog:\n" << run.log;
    }
    PutWifiSetup("wifi.exe");
    ::SetEnvironmentVariableW(L"INSTALLER_STANDIN_EXIT", nullptr);

    // Below Windows 7 only the Wi-Fi driver, as the window offers.
    SetWifiOutcome(0);
    test::CWindowsVersionScope xp(L"winxp64");
    const CQuietRun old = RunBundled(L"/quiet");
    EXPECT_EQ(old.code, 0u);
    EXPECT_NE(old.log.find("skipped the Bluetooth driver: it needs Windows 7 or later"), std::string::npos) << old.log;
    EXPECT_NE(old.log.find("the Wi-Fi driver job ended: done; code 0"), std::string::npos) << old.log;
    EXPECT_TRUE(test::TakeRequests().empty());
}

// /detect, as a deployment tool's detection rule runs it: the exit code and,
// only when every driver is there, one line on the standard output; nothing
// asked of the service. /quiet logs the adapter before and after each job,
// and a Wi-Fi setup that left no driver in use is no success.
TEST_F(AcceptanceTest, UnattendedDetectAndTheDeviceAfterEachJob) {
    const std::string wifi = "Wi-Fi driver " + WideToUtf8(adapter::kWifiVersion);
    const std::string bluetooth = "Bluetooth driver " + WideToUtf8(adapter::kBluetoothVersion);
    const struct { const char* name; test::Adapter state; std::wstring args; bool binds; DWORD code; std::string output;
                   std::vector<std::string> logged; } rows[] = {
        {"both drivers", test::Adapter::Drivers, L"/detect", false, 0, "Installed: " + wifi + ", " + bluetooth + "\r\n",
         {"the Wi-Fi driver's device: driver 2024.3.1.7 by Tarnwell of 3-1-2024 installed", "detected: installed"}},
        {"no Bluetooth driver", test::Adapter::WifiDriverOnly, L"/detect", false, 1605, "",
         {"the Bluetooth driver's device: plugged in, no driver", "detected: not installed", "exit code 1605"}},
        {"the Wi-Fi one asked for", test::Adapter::WifiDriverOnly, L"/detect /wifi", false, 0, "Installed: " + wifi + "\r\n",
         {"detected: installed"}},
        {"unplugged", test::Adapter::Unplugged, L"/detect", false, 1167, "", {"not plugged in", "exit code 1167"}},
        {"a usage error", test::Adapter::Drivers, L"/detect /quiet", false, 1639, "", {"/detect installs nothing"}},
        {"quiet, the driver comes", test::Adapter::Plugged, L"/quiet /wifi", true, 0, "",
         {"the device before: plugged in, no driver", "the device after: driver 2024.3.1.7", "exit code 0"}},
        {"quiet, the driver does not come", test::Adapter::Plugged, L"/quiet /wifi", false, 1164, "",
         {"the Wi-Fi driver's device after its setup: plugged in, no driver",
          "status text: The adapter does not use the new driver yet.", "exit code 1164"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const test::CAdapterScope adapter(row.state);
        std::ofstream(std::filesystem::path(Bundle(L"data\\WifiAutoInstallSetup.cfg"))) << "0 0 " << (row.binds ? 1 : 0);
        test::TakeRequests();
        const CQuietRun run = RunBundled(row.args);
        EXPECT_EQ(run.code, row.code) << run.log;
        if (row.code != 1639) {
            EXPECT_EQ(run.output, row.output);
        }
        for (const std::string& line : row.logged) EXPECT_NE(run.log.find(line), std::string::npos) << line << "\n" << run.log;
        EXPECT_TRUE(test::TakeRequests().empty());
        EXPECT_FALSE(run.windowShown);
    }
}

// In a session nobody sees (a build that pretends so: Wine shows every
// window station), a run that would open the window, or a message box, acts
// as quiet: the usage and any usage error go to the log, nothing waits on a
// window nobody could close.
TEST_F(AcceptanceTest, UnattendedWithoutAVisibleDesktopNothingWaitsOnAWindow) {
    const std::wstring variant = L"installer_without_visible_desktop.exe";
    ASSERT_TRUE(::CopyFileW((test::ProgramFolder() + variant).c_str(), Bundle(variant).c_str(), FALSE));
    ServeBluetooth(R"({"file": "bt_top.zip"})");
    SetWifiOutcome(0);
    const struct { const wchar_t* args; DWORD code; std::vector<std::string> logged; std::size_t requests; } cases[] = {
        {L"/quite", 1639, {"(no visible desktop", "usage error: unknown switch /quite", "usage:", "Exit codes:",
                           "exit code 1639"}, 0},
        {L"/?", 0, {"usage:", "/passive", "exit code 0"}, 0},
        {L"", 0, {"mode: quiet (no visible desktop", "installing the Wi-Fi driver", "exit code 0"}, 2},
        {L"/passive /wifi", 0, {"mode: quiet (no visible desktop", "exit code 0"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.args));
        test::TakeRequests();
        const CQuietRun run = RunBundled(c.args, L"", variant, false);
        EXPECT_EQ(run.code, c.code);
        for (const std::string& line : c.logged) EXPECT_NE(run.log.find(line), std::string::npos) << line << "\n" << run.log;
        EXPECT_FALSE(run.windowShown);
        EXPECT_EQ(test::TakeRequests().size(), c.requests);
    }
    ::DeleteFileW(Bundle(variant).c_str());
}

// A log file named on the command line is written only when this program
// wrote it before and it has no second name; anything else stays untouched
// and the log goes to a new file beside it.
TEST_F(AcceptanceTest, UnattendedLogsNeverWriteIntoOthersFiles) {
    test::CTempFolder folder(L"logs");
    const std::wstring victim = folder.Path() + L"\\victim.txt", ours = folder.Path() + L"\\ours.log";
    const std::wstring header = folder.Path() + L"\\header.txt", linked = folder.Path() + L"\\linked.log";
    const std::string headerLine = "2026-12-09 04:37:54.781 Installer 1.2.0.15 started: x\r\n";
    std::ofstream(std::filesystem::path(victim), std::ios::binary) << "precious";
    std::ofstream(std::filesystem::path(header), std::ios::binary) << headerLine;
    ASSERT_TRUE(::CreateHardLinkW(linked.c_str(), header.c_str(), nullptr));
    for (const std::wstring& log : {victim, linked, ours, ours}) RunBundled(L"/quiet /wifi", log);
    EXPECT_EQ(test::ReadBytes(victim), "precious");
    EXPECT_EQ(test::ReadBytes(header), headerLine);
    for (const wchar_t* numbered : {L"\\victim_2.txt", L"\\linked_2.log"})
        EXPECT_NE(test::ReadBytes(folder.Path() + numbered).find(" started: "), std::string::npos) << numbered;
    const std::string own = test::ReadBytes(ours);  // written twice, appended
    EXPECT_NE(own.find(" started: "), own.rfind(" started: "));
    EXPECT_FALSE(test::Exists(folder.Path() + L"\\ours_2.log"));
}

// The window writes its log too, in the work folder's logs folder, where
// only the ten newest logs are kept: never where TEMP points, which the
// user's own programs may set. A default name someone made first is not
// written into, and a log with a second name is not deleted by the rotation.
TEST_F(AcceptanceTest, UnattendedOrNotEveryRunLogsAndOldLogsGo) {
    const std::wstring folder = LogFolder();
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (const std::wstring& name : DefaultLogs()) test::RemoveTree(folder + name);
    for (int i = 10; i < 22; ++i)
        std::ofstream(std::filesystem::path(folder + L"Installer_20000101_0000" + std::to_wstring(i) + L".log")) << "old";
    test::CTempFolder elsewhere(L"elsewhere");
    const std::wstring victim = elsewhere.Path() + L"\\victim.txt", oldest = folder + L"Installer_20000101_000010.log";
    std::ofstream(std::filesystem::path(victim), std::ios::binary) << "precious";
    ::DeleteFileW(oldest.c_str());
    ASSERT_TRUE(::CreateHardLinkW(oldest.c_str(), victim.c_str(), nullptr));
    // The names of the next seconds, made by someone else before the program runs.
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    FILETIME stamp = {};
    ::SystemTimeToFileTime(&now, &stamp);
    std::vector<std::wstring> taken;
    for (int second = 0; second < 4; ++second) {
        ULARGE_INTEGER at = {{stamp.dwLowDateTime, stamp.dwHighDateTime}};
        at.QuadPart += 10000000ull * second;
        const FILETIME later = {at.LowPart, at.HighPart};
        SYSTEMTIME t = {};
        ::FileTimeToSystemTime(&later, &t);
        taken.push_back(folder + DefaultLogName({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, 0}));
        std::ofstream(std::filesystem::path(taken.back()), std::ios::binary) << "precious";
    }
    const std::vector<std::wstring> before = DefaultLogs();
    // TEMP through a link to a folder elsewhere, as a user's program may set it.
    test::CTempFolder temp(L"temp-link"), target(L"temp-target");
    const test::CHostLink link(target.Path(), temp.Path() + L"\\tmp");
    ASSERT_TRUE(link.Made());
    wchar_t saved[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"TEMP", saved, MAX_PATH);
    for (const wchar_t* name : {L"TEMP", L"TMP"}) ::SetEnvironmentVariableW(name, (temp.Path() + L"\\tmp").c_str());
    {
        test::CInstallerProcess installer(Bundle(L"Installer.exe"));
        ASSERT_TRUE(installer.Window());
        installer.Click(IDC_BTN_WIFI);
        EXPECT_NE(installer.WaitStatusChange(L"", 15000), L"");
        installer.CloseBox();
        EXPECT_TRUE(installer.WaitExit(10000));
    }
    for (const wchar_t* name : {L"TEMP", L"TMP"}) ::SetEnvironmentVariableW(name, saved);
    EXPECT_EQ(test::Names(target.Path()), std::vector<std::wstring>{});
    const std::vector<std::wstring> kept = DefaultLogs();
    EXPECT_EQ(kept.size(), 11u);  // the ten newest, and the one with a second name
    EXPECT_EQ(kept.front(), L"Installer_20000101_000010.log");
    EXPECT_EQ(test::ReadBytes(victim), "precious");
    for (const std::wstring& name : taken) EXPECT_EQ(test::ReadBytes(name), "precious");
    std::vector<std::wstring> made;
    for (const std::wstring& name : kept)
        if (std::find(before.begin(), before.end(), name) == before.end()) made.push_back(name);
    ASSERT_EQ(made.size(), 1u);
    const std::string newest = test::ReadBytes(folder + made[0]);
    for (const char* line : {"Installer ", "Windows ", "UI language ", "build: Wi-Fi driver on, Bluetooth driver on",
                             "mode: window", "clicked: install the Wi-Fi driver", "WifiAutoInstallSetup.exe",
                             "status text: ", "the window was closed"})
        EXPECT_NE(newest.find(line), std::string::npos) << line << "\n" << newest;

    for (const std::wstring& name : kept) test::RemoveTree(folder + name);
}
