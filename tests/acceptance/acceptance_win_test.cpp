// The shipped program as a user meets it: the bundled Installer.exe started
// on its own, found by its title and used through its buttons only. Run once
// per UI language; every text is checked against that language's section.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include <boost/property_tree/ptree.hpp>

#include "devservice_win.h"
#include "i18n/catalogue.h"
#include "installer_process_win.h"
#include "screen_win.h"
#include "sys/handle_win.h"
#include "sys/paths.h"
#include "sys/text.h"
#include "wine_helpers_win.h"

namespace {

std::wstring Bundle(const std::wstring& relative = L"") {
    return test::HostPath(INSTALLER_BUNDLE_DIR) + (relative.empty() ? L"" : L"\\" + relative);
}

class AcceptanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::Exists(Bundle(L"Installer.exe"))) << "the bundle fixture did not run";
        // The vendor adds these two beside the bundle; here the stand-ins do.
        ::CopyFileW((test::ProgramFolder() + L"data\\7za.exe").c_str(), Bundle(L"data\\7za.exe").c_str(), FALSE);
        ::CopyFileW((test::ProgramFolder() + L"wifi_setup_standin.exe").c_str(),
                    Bundle(L"data\\WifiAutoInstallSetup.exe").c_str(), FALSE);
        SetWifiOutcome(0);
        test::ClearWorkFolder();
        test::TakeRequests();
        LoadExpectedTexts();
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

    static void ServeBluetooth(const std::string& rule) {
        test::SetServiceScript(R"({"/api/rx/RealtekDrivers": {"body": ")" + Escaped(test::PackageAnswer("bt_top.zip")) +
                               R"("}, "/files/bt_top.zip": )" + rule + "}");
    }
    static std::string Escaped(const std::string& json) {
        std::string out;
        for (char c : json) { if (c == '"' || c == '\\') out += '\\'; out += c; }
        return out;
    }

    CatalogueWords m_texts;
};

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
    EXPECT_EQ(installer.WaitStatusChange(L"", 15000), Text(kWifiInstalled) + L" " + Text(kHintDlBt));

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
    ASSERT_EQ(starts.size(), 1u) << "status line: " << WideToAnsi(installer.StatusText());
    const auto jobs = test::JobFolders();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(test::StartedPath(starts[0]), jobs[0] + L"\\Setup.exe");
    EXPECT_EQ(installer.StatusText(), L"");
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
    EXPECT_EQ(::GetWindow(message, GW_OWNER), nullptr);
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
    EXPECT_EQ(starts.size() + more.size(), 1u);
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

// Wine's own DLLs win over files for this program while the object lives
// ("native,builtin" in the prefix's per-program overrides).
class CPreferFilesFor {
public:
    CPreferFilesFor(const wchar_t* program, const std::vector<const wchar_t*>& dlls)
        : m_key(std::wstring(L"Software\\Wine\\AppDefaults\\") + program + L"\\DllOverrides") {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr) != ERROR_SUCCESS)
            return;
        const std::wstring order = L"native,builtin";
        for (const wchar_t* dll : dlls)
            ::RegSetValueExW(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(order.c_str()),
                             static_cast<DWORD>((order.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
    }
    ~CPreferFilesFor() { ::RegDeleteTreeW(HKEY_CURRENT_USER, m_key.c_str()); }
    CPreferFilesFor(const CPreferFilesFor&) = delete;
    CPreferFilesFor& operator=(const CPreferFilesFor&) = delete;
private:
    std::wstring m_key;
};

// Started from a Downloads folder where someone put DLLs named like the
// system ones the program loads on demand: through a whole Bluetooth
// installation none is loaded. Wine prefers its own builtin DLLs wherever a
// file lies, so for those names it is told to prefer files: then only the
// folders searched decide, as on Windows.
TEST_F(AcceptanceTest, PlantedDllsBesideTheProgramAreNeverLoaded) {
    test::CTempFolder downloads(L"Downloads");
    const std::wstring folder = downloads.Path() + L"\\";
    downloads.Make(L"data", true);
    for (const wchar_t* file : {L"Installer.exe", L"data\\translation.json", L"data\\7za.exe"})
        ASSERT_TRUE(::CopyFileW(Bundle(file).c_str(), (folder + file).c_str(), FALSE)) << file;
    // Not version.dll nor crypt32.dll: Wine's own user32 (at start) and wintrust
    // import them without regard to the program's search limit; on Windows
    // they come from System32 once the limit is set.
    const std::vector<const wchar_t*> planted = {L"wininet", L"wintrust", L"gdiplus", L"uxtheme", L"comctl32"};
    for (const wchar_t* name : planted)
        ASSERT_TRUE(::CopyFileW((test::ProgramFolder() + L"planted_dll.dll").c_str(),
                                (folder + name + L".dll").c_str(), FALSE));
    const CPreferFilesFor preferFiles(L"Installer.exe", planted);
    ServeBluetooth(R"({"file": "bt_top.zip"})");
    {
        test::CInstallerProcess installer(folder + L"Installer.exe");
        ASSERT_TRUE(installer.Window());
        installer.Click(IDC_BTN_BLUETOOTH);
        EXPECT_EQ(test::WaitStandInStarts(30000).size(), 1u);  // every DLL it needs was used
    }
    for (const wchar_t* name : planted) EXPECT_FALSE(test::Exists(folder + name + L".dll.loaded")) << name;
}

namespace {
struct CQuietRun {
    DWORD code = 0xFFFFFFFF;
    std::string log, output;
};

// The bundled program run with arguments and its log named, waited for; its
// exit code, log and standard output.
CQuietRun RunBundled(const std::wstring& arguments) {
    static int runs = 0;
    test::CTempFolder folder(L"unattended-" + std::to_wstring(++runs));
    const std::wstring log = folder.Path() + L"\\run.log", out = folder.Path() + L"\\out.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    CQuietRun run;
    {
        sys::CFileHandle output(::CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!output.Valid()) return run;
        std::wstring commandLine = L"\"" + Bundle(L"Installer.exe") + L"\" " + arguments + L" /log \"" + log + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output.Get();
        PROCESS_INFORMATION info = {};
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
            return run;
        const sys::CProcessHandles started(info);
        if (::WaitForSingleObject(info.hProcess, 120000) != WAIT_OBJECT_0) ::TerminateProcess(info.hProcess, 99);
        ::GetExitCodeProcess(info.hProcess, &run.code);
    }
    run.log = test::ReadBytes(log);
    run.output = test::ReadBytes(out);
    return run;
}
}  // namespace

// Unattended runs as a deployment tool starts them: each ends with the code
// that says what happened, writes what happened to its log, and shows no window.
TEST_F(AcceptanceTest, UnattendedRunsEndWithTheirExitCodeAndLog) {
    const std::string package = R"({"file": "bt_top.zip"})";
    const struct { const char* name; const wchar_t* args; const char* service; int wifi; const wchar_t* setupExit;
                   bool wifiSetupGone; DWORD code; std::vector<std::string> logged; std::size_t requests; } cases[] = {
        {"all done", L"/quiet", "bt_top.zip", 0, L"0", false, 0,
         {"installing the Wi-Fi driver", "WifiAutoInstallSetup.exe", "it ended with exit code 0",
          "GET https://localhost:", "/api/rx/RealtekDrivers", ": HTTP 200, ", "signature of ", " is valid, signer ",
          "7za.exe\" x ", "started elevated: ", "Setup.exe\" ended with exit code 0", "exit code 0"}, 2},
        {"setup asks for a restart", L"/quiet /bluetooth", "bt_top.zip", 0, L"3010", false, 3010,
         {"ended with exit code 3010", "exit code 3010"}, 2},
        {"Wi-Fi setup fails", L"-QUIET -WiFi", "bt_top.zip", 1, L"0", false, 1603,
         {"it ended with exit code 1", "exit code 1603"}, 0},
        {"Wi-Fi setup missing", L"/quiet /wifi", "bt_top.zip", 0, L"0", true, 2, {"could not start it", "exit code 2"}, 0},
        {"service down", L"/quiet /bluetooth", nullptr, 0, L"0", false, 12029,
         {"connection failed or dropped", "trying https://localhost:", "message: ", "exit code 12029"}, 3},
        {"unsigned setup", L"/quiet /bluetooth", "bt_unsigned.zip", 0, L"0", false, 577,
         {"package refused: ", "exit code 577"}, 2},
        {"language chosen", L"/quiet /wifi /lang DEU", "bt_top.zip", 0, L"0", false, 0,
         {"texts from section deu (chosen by /lang)", "status text: Der WLAN-Treiber"}, 0},
        {"unknown language", L"/quiet /lang xx", "bt_top.zip", 0, L"0", false, 1639,
         {"usage error: unknown language xx"}, 0},
        {"unknown switch", L"/quiet /fast", "bt_top.zip", 0, L"0", false, 1639, {"usage error: unknown switch /fast"}, 0},
        {"not in this build", L"/quiet /hotspot", "bt_top.zip", 0, L"0", false, 1639,
         {"usage error: this build does not offer /hotspot"}, 0},
        {"usage", L"/?", "bt_top.zip", 0, L"0", false, 0, {"mode: window"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.service) ServeBluetooth(R"({"file": ")" + std::string(c.service) + R"("})");
        else test::SetServiceScript(R"({"/api/rx/RealtekDrivers": {"drop": true}})");
        SetWifiOutcome(c.wifi);
        if (c.wifiSetupGone) ::DeleteFileW(Bundle(L"data\\WifiAutoInstallSetup.exe").c_str());
        ::SetEnvironmentVariableW(L"INSTALLER_STANDIN_EXIT", c.setupExit);
        test::TakeRequests();
        test::TakeStandInStarts();

        const CQuietRun run = RunBundled(c.args);
        EXPECT_EQ(run.code, c.code);
        for (const std::string& line : c.logged) EXPECT_NE(run.log.find(line), std::string::npos) << line << "\n" << run.log;
        EXPECT_EQ(test::TakeRequests().size(), c.requests);
        // The usage goes to the caller's standard output, for /? and after a usage error.
        EXPECT_EQ(run.output.find("Exit codes") != std::string::npos, c.code == 1639 || std::wstring(c.args) == L"/?")
            << run.output << "\nlog:\n" << run.log;
        ::CopyFileW((test::ProgramFolder() + L"wifi_setup_standin.exe").c_str(),
                    Bundle(L"data\\WifiAutoInstallSetup.exe").c_str(), FALSE);
    }
    ::SetEnvironmentVariableW(L"INSTALLER_STANDIN_EXIT", nullptr);

    // Below Windows 7 only the Wi-Fi driver, as the window offers.
    SetWifiOutcome(0);
    test::CWindowsVersionScope xp(L"winxp64");
    const CQuietRun old = RunBundled(L"/quiet");
    EXPECT_EQ(old.code, 0u);
    EXPECT_NE(old.log.find("skipped the Bluetooth driver: it needs Windows 7 or later"), std::string::npos) << old.log;
    EXPECT_NE(old.log.find("the Wi-Fi driver job ended with code 0"), std::string::npos) << old.log;
    EXPECT_TRUE(test::TakeRequests().empty());
}

// The window writes its log too, in the temporary folder, where only the
// ten newest logs are kept.
TEST_F(AcceptanceTest, UnattendedOrNotEveryRunLogsAndOldLogsGo) {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder = temp;
    const auto logs = [&folder] {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found = {};
        sys::CFindHandle search(::FindFirstFileW((folder + L"Installer_*.log").c_str(), &found));
        if (search.Valid()) do names.push_back(found.cFileName); while (::FindNextFileW(search.Get(), &found));
        std::sort(names.begin(), names.end());
        return names;
    };
    for (const std::wstring& name : logs()) ::DeleteFileW((folder + name).c_str());
    for (int i = 10; i < 22; ++i)
        std::ofstream(std::filesystem::path(folder + L"Installer_20000101_0000" + std::to_wstring(i) + L".log")) << "old";
    {
        test::CInstallerProcess installer(Bundle(L"Installer.exe"));
        ASSERT_TRUE(installer.Window());
        installer.Click(IDC_BTN_WIFI);
        EXPECT_NE(installer.WaitStatusChange(L"", 15000), L"");
        installer.CloseBox();
        EXPECT_TRUE(installer.WaitExit(10000));
    }
    const std::vector<std::wstring> kept = logs();
    ASSERT_EQ(kept.size(), 10u);
    EXPECT_EQ(kept.front(), L"Installer_20000101_000013.log");  // the three oldest went
    const std::string newest = test::ReadBytes(folder + kept.back());
    for (const char* line : {"Installer ", "Windows ", "UI language ", "build: Wi-Fi on, Bluetooth on", "mode: window",
                             "clicked: install the Wi-Fi driver", "WifiAutoInstallSetup.exe", "status text: ",
                             "the window was closed"})
        EXPECT_NE(newest.find(line), std::string::npos) << line << "\n" << newest;
    for (const std::wstring& name : kept) ::DeleteFileW((folder + name).c_str());
}
