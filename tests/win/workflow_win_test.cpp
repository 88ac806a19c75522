// The download workflows end to end: the real window, real WinINet against the
// local HTTPS service, real 7-Zip archives and stand-in installers.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "devservice_win.h"
#include "install/jobs.h"
#include "ui/taskbar_view.h"
#include "ui/taskbar_button.h"
#include "sys/file_checks_win.h"
#include "sys/handle_win.h"
#include "sys/work_folder_win.h"
#include "sys/log.h"
#include "install/layout_manifest.h"
#include "quiet/layout_run.h"
#include "sys/utf8.h"
#include "install/system_win.h"
#include "quiet/quiet_run.h"
#include "net/device_service.h"
#include "res/resource.h"
#include "screen_win.h"
#include "window_driver_win.h"
#include "wine_helpers_win.h"

std::string Quote(const std::string& json);

namespace {

class WorkflowWine : public ::testing::Test {
protected:
    void SetUp() override {
        g_settings.serviceHost = test::ServiceHost();
        test::ClearWorkFolder();
        test::TakeRequests();
    }
    CSettingsOverride m_settings;
};

std::atomic<bool>& BluetoothBusy() { return BusyFlag(JobId::Bluetooth); }

const std::wstring kUnpackFailedText = L"The Bluetooth driver package could not be unpacked. Please try again later.";
const std::wstring kNoSetupText = L"The Bluetooth driver package has no setup program. Please try again later.";
const std::wstring kServiceFailedText = L"The device service did not deliver the package. Please try again later.";
// What the status line says once a setup started: the user follows it now.
const std::wstring kSetupStartedText = L"The setup program has started. Follow its instructions to finish the installation.";

void ServeBluetooth(const std::string& archive, const std::string& extra = "") {
    test::SetServiceScript(R"({"/api/rx/RealtekDrivers": {"body": )" + Quote(test::PackageAnswer(archive)) +
                           R"(}, "/files/)" + archive + R"(": {"file": ")" + archive +
                           R"(", "chunk_delay_ms": 0})" + extra + "}");
}

// Polls until seen() holds, up to ms; whether it did.
bool WaitUntil(const std::function<bool()>& seen, DWORD ms) {
    for (DWORD waited = 0; waited <= ms; waited += 5) {
        if (seen()) return true;
        ::Sleep(5);
    }
    return false;
}

// The no-connection message of this process.
HWND FindMessageDialog(DWORD waitMs) {
    return screen::WaitForWindow(::GetCurrentProcessId(),
                                 [](HWND hwnd) { return ::GetDlgItem(hwnd, IDC_NO_CONNECTION_TEXT) != nullptr; }, waitMs);
}

}  // namespace

std::string Quote(const std::string& json) {
    std::string quoted = "\"";
    for (char c : json) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

TEST_F(WorkflowWine, BluetoothInstallsTheArchiveItFetched) {
    ServeBluetooth("bt_nested.zip");
    test::CWindowDriver window;
    window.Click(IDC_BTN_BLUETOOTH);
    // The bar shows while the package arrives and goes when it is done.
    EXPECT_TRUE(WaitUntil([&] { return window.Visible(IDC_PROGRESS_BLUETOOTH); }, 2000));
    ASSERT_TRUE(test::WaitIdle(BluetoothBusy(), 30000));
    EXPECT_FALSE(window.Visible(IDC_PROGRESS_BLUETOOTH));
    EXPECT_EQ(::SendMessageW(window.Control(IDC_PROGRESS_BLUETOOTH), PBM_GETPOS, 0, 0), 100);
    const auto jobs = test::JobFolders();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_TRUE(test::Exists(jobs[0] + L"\\bt_nested.zip"));
    EXPECT_TRUE(test::Exists(jobs[0] + L"\\package\\Driver\\Setup.exe"));
    ::Sleep(1500);
    const auto starts = test::TakeStandInStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(test::StartedPath(starts[0]), jobs[0] + L"\\package\\Driver\\Setup.exe");
    // It unpacks where only administrators write, not into the user's TEMP.
    EXPECT_EQ(test::StartedTemp(starts[0]), jobs[0] + L"\\temp");
    EXPECT_EQ(window.Text(window.Control(IDC_STATUS)), kSetupStartedText);
    EXPECT_FALSE(FindMessageDialog(0));
    const auto requests = test::TakeRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1], "GET /files/bt_nested.zip HTTP/1.1");
}

TEST_F(WorkflowWine, BluetoothArchiveProblemsEndInTheStatusText) {
    const std::wstring refused = L"The downloaded package could not be verified, so it was not started.";
    const struct { const char* archive; std::wstring status; } cases[] = {
        {"bt_deep.zip", kNoSetupText}, {"broken.zip", kUnpackFailedText},
        // Paths older setup programs cannot open are not used.
        {"bt_long.zip", refused},
    };
    for (const auto& c : cases) {
        test::ClearWorkFolder();
        ServeBluetooth(c.archive);
        test::CWindowDriver window;
        window.Click(IDC_BTN_BLUETOOTH);
        ASSERT_TRUE(test::WaitIdle(BluetoothBusy(), 30000));
        EXPECT_EQ(window.Text(window.Control(IDC_STATUS)), c.status) << c.archive;
        EXPECT_TRUE(test::TakeStandInStarts().empty()) << c.archive;
        EXPECT_TRUE(test::JobFolders().empty()) << c.archive;
    }
    // A Setup.exe left by an earlier run is not started when the archiver fails.
    test::ClearWorkFolder();
    ::CreateDirectoryW(test::WorkFolder(L"old").c_str(), nullptr);
    ::CopyFileW(test::ServiceFile("rx.exe").c_str(), test::WorkFolder(L"old\\Setup.exe").c_str(), FALSE);
    ServeBluetooth("broken.zip");
    test::CWindowDriver window;
    window.Click(IDC_BTN_BLUETOOTH);
    ASSERT_TRUE(test::WaitIdle(BluetoothBusy(), 30000));
    ::Sleep(500);
    EXPECT_TRUE(test::TakeStandInStarts().empty());
    EXPECT_EQ(window.Text(window.Control(IDC_STATUS)), kUnpackFailedText);
}

TEST_F(WorkflowWine, ServiceDownShowsTheNoConnectionMessage) {
    g_settings.serviceHost = test::ServiceHost(9);  // nobody listens there
    test::CWindowDriver window;
    window.Click(IDC_BTN_BLUETOOTH);
    HWND message = FindMessageDialog(15000);
    ASSERT_TRUE(message);
    EXPECT_EQ(::GetWindow(message, GW_OWNER), window.Window());
    EXPECT_TRUE(::IsWindowEnabled(window.Window()));
    EXPECT_EQ(window.Text(::GetDlgItem(message, IDC_NO_CONNECTION_TEXT)), L"No internet connection. Connect and try again.");
    window.SaveScreenshot(L"no-connection-main-window");
    // The command is ignored while the message is open; the window still answers.
    window.Click(IDC_BTN_BLUETOOTH);
    ::Sleep(400);
    EXPECT_TRUE(BluetoothBusy());
    DWORD_PTR answer = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(window.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer));
    ::SendMessageW(message, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(test::WaitIdle(BluetoothBusy(), 5000));
    EXPECT_FALSE(FindMessageDialog(300));
}

// The message only when the connection is the problem; a text that says what
// happened otherwise.
TEST_F(WorkflowWine, BadAnswersAndDownloadsSayWhatHappened) {
    const std::wstring noPackage = L"The device service has no package for this version of Windows.";
    const std::wstring secure = L"The secure connection to the device service failed. Check the date and time on this PC.";
    const std::string package = R"(, "/files/p.zip": )";
    // The connection worked in all of these but the last ones: no "No Internet" for them.
    const struct { const char* answer; std::string files; std::wstring status; std::size_t requests; } cases[] = {
        {R"({"status": 404, "body": "<html>not found</html>"})", "", kServiceFailedText, 1},
        {R"({"body": ""})", "", kServiceFailedText, 1},
        {R"({"body": "[1, 2]"})", "", kServiceFailedText, 1},
        {R"({"body": "{\"status\": \"yes\", \"downloadURL\": \"https://localhost/a.zip\"}"})", "", kServiceFailedText, 1},
        {R"({"body": "{\"status\": true, \"downloadURL\": \"https://localhost:18443/files/\"}"})", "", kServiceFailedText,
         1},
        // Not a way out of the folder: a name the service does not have.
        {R"({"body": "{\"status\": true, \"downloadURL\": \"https://localhost:18443/files/..%5cevil.zip\"}"})", "",
         noPackage, 2},
        {R"({"body": "{\"status\": false}"})", "", noPackage, 1},
        {R"({"body": "{\"status\": true, \"downloadURL\": \"https://localhost:18443/files/nothere.zip\"}"})", "",
         noPackage, 2},
        {R"({"status": 500, "body": "{\"status\": true, \"downloadURL\": \"https://localhost:18443/x.zip\"}"})", "",
         noPackage, kMaxAttempts + 1},
        {R"({"body": "{\"status\": true, \"downloadURL\": \"https://localhost:18445/files/p.zip\"}"})",
         package + R"({"file": "bt_top.zip"})", secure, 1},
        {R"({"body": "{\"status\": true, \"downloadURL\": \"https://localhost:18443/files/p.zip\"}"})",
         package + R"({"status": 503})", kServiceFailedText, 1 + kMaxAttempts},
        {R"({"drop": true})", "", L"", kMaxAttempts},
    };
    for (const auto& c : cases) {
        test::SetServiceScript(std::string(R"({"/api/rx/RealtekDrivers": )") + c.answer + c.files + "}");
        test::TakeRequests();
        test::CWindowDriver window;
        window.Click(IDC_BTN_BLUETOOTH);
        if (c.status.empty()) {
            HWND message = FindMessageDialog(15000);
            EXPECT_TRUE(message) << c.answer;
            // The message comes once, after the last attempt.
            EXPECT_EQ(test::TakeRequests().size(), c.requests) << c.answer;
            if (message) ::SendMessageW(message, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            EXPECT_TRUE(test::WaitIdle(BluetoothBusy(), 15000)) << c.answer;
        } else {
            EXPECT_TRUE(test::WaitIdle(BluetoothBusy(), 15000)) << c.answer;
            EXPECT_EQ(test::TakeRequests().size(), c.requests) << c.answer;
        }
        EXPECT_FALSE(FindMessageDialog(0)) << c.answer;
        EXPECT_EQ(window.Text(window.Control(IDC_STATUS)), c.status) << c.answer;
        EXPECT_TRUE(test::TakeStandInStarts().empty());
    }
}

// A package named outside ASCII keeps its name on a Chinese or Russian
// system: addresses and names are UTF-8, not the system's ANSI code page.
// (Run once per such code page, see CMakeLists.txt.)
TEST_F(WorkflowWine, APackageNamedOutsideAscii) {
    const std::string name = "bt_\xE9\xA9\xB1\xD0\xB4.zip";  // bt_驱д.zip
    test::SetServiceScript(R"({"/api/rx/RealtekDrivers": {"body": )" + Quote(test::PackageAnswer(name)) +
                           R"(}, "/files/)" + name + R"(": {"file": "bt_top.zip"}})");
    test::CWindowDriver window;
    window.Click(IDC_BTN_BLUETOOTH);
    ASSERT_TRUE(test::WaitIdle(BluetoothBusy(), 30000));
    const auto starts = test::WaitStandInStarts(5000);
    const auto jobs = test::JobFolders();
    ASSERT_EQ(jobs.size(), 1u) << "status: " << WideToUtf8(window.Text(window.Control(IDC_STATUS)));
    EXPECT_TRUE(test::Exists(jobs[0] + L"\\bt_\u9A71\u0434.zip"));
    EXPECT_EQ(starts.size(), 1u);
}

TEST_F(WorkflowWine, DoubleClickAsksTheServiceOnce) {
    ServeBluetooth("bt_top.zip");
    test::CWindowDriver window;
    window.Click(IDC_BTN_BLUETOOTH);
    window.Click(IDC_BTN_BLUETOOTH);
    ASSERT_TRUE(test::WaitIdle(BluetoothBusy(), 30000));
    ::Sleep(300);
    EXPECT_EQ(test::TakeRequests().size(), 2u);  // one answer, one package
}

// The archiver sits where the user's own processes may write: only the one
// whose SHA-256 the build pinned runs, from a copy in the job's folder.
TEST_F(WorkflowWine, MissingImpostorOrHangingArchiverEndsInTheStatusText) {
    ServeBluetooth("bt_top.zip");
    const std::wstring archiver = test::ProgramFolder() + L"data\\7za.exe";
    const std::wstring aside = archiver + L".aside";
    ASSERT_TRUE(::MoveFileW(archiver.c_str(), aside.c_str()));
    // Another program where the archiver should be: the Wi-Fi stand-in, which logs every run.
    const test::CWifiStandIn marker(0, 600000);
    const struct { const char* name; bool present; bool pinned; std::wstring status; bool ran; } cases[] = {
        {"missing", false, false, kUnpackFailedText, false},
        {"an impostor", true, false, kNoSetupText, false},
        {"one that never ends", true, true, kUnpackFailedText, true},
    };
    for (const auto& c : cases) {
        if (c.present) {
            ASSERT_TRUE(::CopyFileW(test::ServiceFile("wifi.exe").c_str(), archiver.c_str(), FALSE));
        }
        if (c.pinned) g_settings.archiverSha256 = test::ServiceSha256("wifi.exe");
        g_settings.archiverTimeoutMs = 1500;
        const int before = test::CWifiStandIn::Runs();
        test::CWindowDriver window;
        const DWORD start = ::GetTickCount();
        window.Click(IDC_BTN_BLUETOOTH);
        EXPECT_TRUE(test::WaitIdle(BluetoothBusy(), 30000)) << c.name;
        EXPECT_LT(::GetTickCount() - start, 15000u) << c.name;
        EXPECT_EQ(window.Text(window.Control(IDC_STATUS)), c.status) << c.name;
        EXPECT_EQ(test::CWifiStandIn::Runs() - before, c.ran ? 1 : 0) << c.name;
        EXPECT_TRUE(test::TakeStandInStarts().empty()) << c.name;
    }
    ::MoveFileExW(aside.c_str(), archiver.c_str(), MOVEFILE_REPLACE_EXISTING);
}

TEST_F(WorkflowWine, ReceiverAndHotspotRunSideBySide) {
    test::SetServiceScript(
        R"({"/api/rx/QuilloRXApp": {"body": )" + Quote(test::PackageAnswer("rx.exe")) + R"(},)"
        R"( "/api/rx/TWHotspot": {"body": )" + Quote(test::PackageAnswer("hotspot.exe")) + R"(},)"
        R"( "/files/rx.exe": {"file": "rx.exe", "chunk_delay_ms": 150},)"
        R"( "/files/hotspot.exe": {"file": "rx.exe", "chunk_delay_ms": 150, "length": "omit"}})");
    Offered(JobId::Hotspot) = true;
    Offered(JobId::Receiver) = true;
    {
        test::CWindowDriver window;
        window.Click(IDC_BTN_RECEIVER);
        window.Click(IDC_BTN_HOTSPOT);
        EXPECT_TRUE(WaitUntil(
            [&] { return window.Visible(IDC_PROGRESS_RECEIVER) && window.Visible(IDC_PROGRESS_HOTSPOT); }, 3000));
        // Without an announced size the bar shows that it is busy instead.
        const auto marquee = [&](int id) { return (::GetWindowLongPtrW(window.Control(id), GWL_STYLE) & PBS_MARQUEE) != 0; };
        const auto position = [&](int id) { return ::SendMessageW(window.Control(id), PBM_GETPOS, 0, 0); };
        EXPECT_TRUE(WaitUntil([&] { return marquee(IDC_PROGRESS_HOTSPOT); }, 1000));
        EXPECT_TRUE(WaitUntil([&] { return !marquee(IDC_PROGRESS_RECEIVER) && position(IDC_PROGRESS_RECEIVER) > 0; }, 3000));
        window.SaveScreenshot(L"receiver-and-hotspot");
        EXPECT_TRUE(test::WaitIdle(BusyFlag(JobId::Receiver), 30000));
        EXPECT_TRUE(test::WaitIdle(BusyFlag(JobId::Hotspot), 30000));
        ::Sleep(1000);
        std::vector<std::wstring> started;
        for (const std::wstring& line : test::TakeStandInStarts()) started.push_back(test::StartedPath(line));
        std::sort(started.begin(), started.end(), [](const std::wstring& a, const std::wstring& b) {
            return a.substr(a.find_last_of(L'\\')) < b.substr(b.find_last_of(L'\\'));
        });
        const auto jobs = test::JobFolders();
        ASSERT_EQ(started.size(), 2u);
        ASSERT_EQ(jobs.size(), 2u);  // one of its own for each
        EXPECT_TRUE(started[0] == jobs[0] + L"\\hotspot.exe" || started[0] == jobs[1] + L"\\hotspot.exe") << started[0];
        EXPECT_TRUE(started[1] == jobs[0] + L"\\rx.exe" || started[1] == jobs[1] + L"\\rx.exe") << started[1];
        // Shown again, a bar starts from nothing, not from the last download's end.
        ASSERT_EQ(::SendMessageW(window.Control(IDC_PROGRESS_RECEIVER), PBM_GETPOS, 0, 0), 100);
        window.Click(IDC_BTN_RECEIVER);
        EXPECT_TRUE(WaitUntil([&] { return window.Visible(IDC_PROGRESS_RECEIVER); }, 1500));
        EXPECT_LT(::SendMessageW(window.Control(IDC_PROGRESS_RECEIVER), PBM_GETPOS, 0, 0), 100);
        EXPECT_TRUE(test::WaitIdle(BusyFlag(JobId::Receiver), 30000));
    }
}

// Run as a child process under each Windows version (see below).
TEST_F(WorkflowWine, DISABLED_BluetoothAsksForThisWindows) {
    test::SetServiceScript(R"({"/api/rx/RealtekDrivers": {"body": "{}"}})");
    test::CWindowDriver window;
    EXPECT_TRUE(window.Visible(IDC_BTN_BLUETOOTH));
    window.Click(IDC_BTN_BLUETOOTH);
    ASSERT_TRUE(test::WaitIdle(BluetoothBusy(), 15000));
    EXPECT_EQ(window.Text(window.Control(IDC_STATUS)), kServiceFailedText);
}

TEST_F(WorkflowWine, BluetoothRequestNamesTheWindowsVersion) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    // Without WMI (its provider switched off) the kernel's version stands in.
    const struct { const wchar_t* wine; const char* os; bool wmi; } cases[] = {
        {L"win7", "win7", true}, {L"win8", "win8", true}, {L"win81", "win8", true}, {L"win10", "win10", true},
        {L"win10", "win10", false}, {L"win7", "win7", false}};
    for (const auto& c : cases) {
        test::CWindowsVersionScope version(c.wine);
        ::SetEnvironmentVariableW(L"WINEDLLOVERRIDES", c.wmi ? L"mscoree,mshtml=" : L"mscoree,mshtml=;wbemprox=d");
        EXPECT_EQ(test::RunAndWait(L"\"" + std::wstring(self) +
                                   L"\" --gtest_also_run_disabled_tests"
                                   L" --gtest_filter=WorkflowWine.DISABLED_BluetoothAsksForThisWindows"), 0);
        const auto requests = test::TakeRequests();
        ASSERT_EQ(requests.size(), 1u) << c.os;
        EXPECT_EQ(requests[0], std::string("GET /api/rx/RealtekDrivers?os=") + c.os +
                                   "&wirelessType=bluetooth&wirelessProduct=8821CU HTTP/1.1");
    }
    ::SetEnvironmentVariableW(L"WINEDLLOVERRIDES", L"mscoree,mshtml=");
}

TEST_F(WorkflowWine, BluetoothWorksWhileTheWifiSetupRuns) {
    test::CWifiStandIn wifi(0, 6000);
    ServeBluetooth("bt_top.zip");
    test::CWindowDriver window;
    window.Click(IDC_BTN_WIFI);
    ::Sleep(500);
    window.Click(IDC_BTN_BLUETOOTH);
    const std::vector<std::wstring> starts = test::WaitStandInStarts(5000);
    EXPECT_EQ(starts.size(), 1u);
    EXPECT_TRUE(BusyFlag(JobId::Wifi));  // the Wi-Fi setup is still running meanwhile
    window.Click(IDC_BTN_WIFI);  // ignored while it runs
    ASSERT_TRUE(test::WaitIdle(BusyFlag(JobId::Wifi), 15000));
    ::Sleep(400);
    EXPECT_EQ(test::CWifiStandIn::Runs(), 1);
}

TEST_F(WorkflowWine, OnlyTheVendorsUntouchedPackageIsStarted) {
    const std::wstring refused = L"The downloaded package could not be verified, so it was not started.";
    const auto answer = [](const std::string& url, const std::string& sha256) {
        return Quote(R"({"status": true, "downloadURL": ")" + url + "\"" +
                     (sha256.empty() ? "" : R"(, "sha256": ")" + sha256 + "\"") + "}");
    };
    const auto bluetooth = [&](const std::string& archive, const std::string& sha256 = "") {
        return R"({"/api/rx/RealtekDrivers": {"body": )" + answer(test::ServiceUrl("/files/" + archive), sha256) +
               R"(}, "/files/)" + archive + R"(": {"file": ")" + archive + R"("}})";
    };
    const auto redirected = [&](const std::string& target) {
        return R"({"/api/rx/RealtekDrivers": {"body": )" + answer(test::ServiceUrl("/files/moved.zip"), "") +
               R"(}, "/files/moved.zip": {"status": 302, "headers": {"Location": ")" + target +
               R"("}}, "/files/bt_top.zip": {"file": "bt_top.zip"}})";
    };
    const auto receiver = [&](const std::string& file) {
        return R"({"/api/rx/QuilloRXApp": {"body": )" + answer(test::ServiceUrl("/files/" + file), "") +
               R"(}, "/files/)" + file + R"(": {"file": ")" + file + R"("}})";
    };
    const std::string plainUrl = "http://" + test::ServiceHost() + "/files/bt_top.zip";
    const struct { const char* name; std::string script; int button; bool started; std::wstring status; bool message; } cases[] = {
        {"signed by the vendor", bluetooth("bt_top.zip"), IDC_BTN_BLUETOOTH, true, kSetupStartedText, false},
        {"unsigned", bluetooth("bt_unsigned.zip"), IDC_BTN_BLUETOOTH, false, refused, false},
        {"one byte changed", bluetooth("bt_tampered.zip"), IDC_BTN_BLUETOOTH, false, refused, false},
        {"signed by someone else", bluetooth("bt_other.zip"), IDC_BTN_BLUETOOTH, false, refused, false},
        {"hash matches", bluetooth("bt_top.zip", test::ServiceSha256("bt_top.zip")), IDC_BTN_BLUETOOTH, true, kSetupStartedText, false},
        {"hash differs", bluetooth("bt_top.zip", test::ServiceSha256("bt_other.zip")), IDC_BTN_BLUETOOTH, false, refused, false},
        {"hash malformed", bluetooth("bt_top.zip", "12ab"), IDC_BTN_BLUETOOTH, false, refused, false},
        {"http address", R"({"/api/rx/RealtekDrivers": {"body": )" + answer(plainUrl, "") + "}}", IDC_BTN_BLUETOOTH,
         false, refused, false},
        {"redirect to https", redirected(test::ServiceUrl("/files/bt_top.zip")), IDC_BTN_BLUETOOTH, true, kSetupStartedText, false},
        {"redirect to http", redirected(plainUrl), IDC_BTN_BLUETOOTH, false, refused, false},
        {"encrypted archive", bluetooth("bt_encrypted.zip"), IDC_BTN_BLUETOOTH, false, kUnpackFailedText, false},
        {"batch file", receiver("script.bat"), IDC_BTN_RECEIVER, false, refused, false},
        {"unsigned installer", receiver("unsigned.exe"), IDC_BTN_RECEIVER, false, refused, false},
        {"signed installer", receiver("rx.exe"), IDC_BTN_RECEIVER, true, kSetupStartedText, false},
    };
    Offered(JobId::Receiver) = true;
    for (const auto& c : cases) {
        test::ClearWorkFolder();
        test::SetServiceScript(c.script);
        test::CWindowDriver window;
        window.Click(c.button);
        if (HWND message = FindMessageDialog(c.message ? 15000 : 0))
            ::SendMessageW(message, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        else
            EXPECT_FALSE(c.message) << c.name;
        EXPECT_TRUE(test::WaitIdle(c.button == IDC_BTN_RECEIVER ? BusyFlag(JobId::Receiver) : BluetoothBusy(), 30000)) << c.name;
        const auto starts = test::WaitStandInStarts(c.started ? 5000 : 1000);
        EXPECT_EQ(starts.size(), c.started ? 1u : 0u) << c.name;
        EXPECT_EQ(window.Text(window.Control(IDC_STATUS)), c.status) << c.name;
        // Only a started installer keeps its folder.
        EXPECT_EQ(test::JobFolders().size(), c.started ? 1u : 0u) << c.name;
    }
}

TEST_F(WorkflowWine, PlantedAndEarlierSetupsAreNeverStarted) {
    const std::wstring work = test::WorkFolder();
    const std::wstring signedSetup = test::ServiceFile("rx.exe");  // even the vendor's own
    for (const wchar_t* folder : {L"!", L"job-3-1-1"}) ::CreateDirectoryW((work + L"\\" + folder).c_str(), nullptr);
    for (const wchar_t* file : {L"!\\Setup.exe", L"Setup.exe", L"job-3-1-1\\Setup.exe", L"dl1A2B.tmp"})
        ::CopyFileW(signedSetup.c_str(), (work + L"\\" + file).c_str(), FALSE);
    ServeBluetooth("bt_nested.zip");
    test::CWindowDriver window;
    window.Click(IDC_BTN_BLUETOOTH);
    ASSERT_TRUE(test::WaitIdle(BluetoothBusy(), 30000));
    const auto starts = test::WaitStandInStarts(5000);
    const auto jobs = test::JobFolders();
    ASSERT_EQ(jobs.size(), 1u);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(test::StartedPath(starts[0]), jobs[0] + L"\\package\\Driver\\Setup.exe");
    // What earlier runs and others left is gone.
    for (const wchar_t* entry : {L"!", L"Setup.exe", L"job-3-1-1", L"dl1A2B.tmp"})
        EXPECT_FALSE(test::Exists(work + L"\\" + entry)) << entry;
}

// A proxy's password prompt belongs to the installer window: it opens in
// front of it, not somewhere behind.
TEST_F(WorkflowWine, TheProxyPromptOpensInFrontOfTheWindow) {
    ServeBluetooth("bt_top.zip");
    const test::CSystemProxy proxy(L"localhost:" + std::to_wstring(INSTALLER_TEST_SERVICE_PORT + 5));
    test::CWindowDriver window;
    window.Click(IDC_BTN_BLUETOOTH);
    HWND prompt = screen::WaitForWindow(::GetCurrentProcessId(), [](HWND hwnd) {
        int edits = 0;
        ::EnumChildWindows(hwnd, [](HWND child, LPARAM count) {
            wchar_t name[16] = {};
            ::GetClassNameW(child, name, 16);
            if (_wcsicmp(name, L"Edit") == 0) ++*reinterpret_cast<int*>(count);
            return TRUE;
        }, reinterpret_cast<LPARAM>(&edits));
        return edits >= 2;
    }, 15000);
    ASSERT_TRUE(prompt);
    EXPECT_EQ(::GetWindow(prompt, GW_OWNER), window.Window());
    ::PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (HWND message = FindMessageDialog(15000)) ::SendMessageW(message, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(test::WaitIdle(BluetoothBusy(), 15000));
}

namespace {

// How many processes of this name run now.
int RunningNamed(const wchar_t* name) {
    int count = 0;
    const sys::CFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry))
        if (_wcsicmp(entry.szExeFile, name) == 0) ++count;
    return count;
}

// What the program logs while the object lives.
struct CLogLines : sys::ILogSink {
    CLogLines() { sys::AddLogSink(*this); }
    ~CLogLines() override { sys::RemoveLogSink(*this); }
    void Write(const std::wstring& line) override {
        const std::lock_guard<std::mutex> guard(lock);
        lines += line + L"\n";
    }
    std::wstring Take() {
        const std::lock_guard<std::mutex> guard(lock);
        std::wstring taken;
        taken.swap(lines);
        return taken;
    }
    std::mutex lock;
    std::wstring lines;
};

// Ends every process of this name (what a test left running).
void EndAllNamed(const wchar_t* name) {
    const sys::CFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, name) != 0) continue;
        const sys::CKernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (process.Valid() && ::TerminateProcess(process.Get(), 1)) ::WaitForSingleObject(process.Get(), 5000);
    }
}

}  // namespace

// Unattended, real driver setups wait for a click unless given their silent
// switches: quiet mode gives them, and ends one that still hangs. A setup that
// hands over to a child and ends is waited for until the child ends, for a
// grace period: what still runs after it (a tray program) is left running,
// named in the log, and the run goes on with the setup's own exit code.
TEST_F(WorkflowWine, QuietRunsAreSilentAndEndWhatHangs) {
    ServeBluetooth("bt_top.zip");
    ::SetEnvironmentVariableW(L"INSTALLER_STANDIN_SILENT_SWITCH", L"/verysilent");
    g_settings.run.unattended = true;
    g_settings.installerTimeoutMs = 3000;
    g_settings.setupGraceMs = 2500;
    const struct { const wchar_t* silent; const wchar_t* childMs; ExitCode code; std::size_t starts; bool childEnded;
                   int leftRunning; } cases[] = {
        {L"/verysilent /norestart", nullptr, kExitDone, 1, false, 0},
        {L"", nullptr, kExitInstallerTimedOut, 1, false, 0},
        {L"/verysilent", L"1500", kExitDone, 2, true, 0},
        {L"/verysilent", L"60000", kExitDone, 2, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.silent) + L" child " + (c.childMs ? c.childMs : L"none"));
        g_settings.silentArguments[JobIndex(JobId::Bluetooth)] = c.silent;
        ::SetEnvironmentVariableW(L"INSTALLER_STANDIN_CHILD_MS", c.childMs);
        CWindowsJobSystem system(true);
        CLogLines lines;
        std::vector<std::wstring> log;
        const DWORD start = ::GetTickCount();
        const ExitCode code = RunQuiet(ParseCommandLine({L"/quiet", L"/bluetooth"}), system,
                                       [](TranslationKey key) { return std::wstring(kTranslationKeys[key]); },
                                       [&log](const std::wstring& line) { log.push_back(line); });
        EXPECT_EQ(code, c.code);
        EXPECT_LT(::GetTickCount() - start, 20000u);
        EXPECT_EQ(RunningNamed(L"Setup.exe"), c.leftRunning);
        const std::wstring said = lines.Take();
        const std::size_t at = said.find(L"left alone after");
        const bool named = at != std::wstring::npos && said.find(L"Setup.exe", at) != std::wstring::npos;
        EXPECT_EQ(named, c.leftRunning != 0);
        EndAllNamed(L"Setup.exe");
        std::vector<std::wstring> starts = test::TakeStandInStarts();
        const auto ended = std::remove_if(starts.begin(), starts.end(),
                                          [](const std::wstring& line) { return line.rfind(L"ended|", 0) == 0; });
        EXPECT_EQ(ended != starts.end(), c.childEnded);
        starts.erase(ended, starts.end());
        ASSERT_EQ(starts.size(), c.starts);
        EXPECT_EQ(starts[0].find(L"/verysilent") != std::wstring::npos, *c.silent != L'\0') << starts[0];
    }
    ::SetEnvironmentVariableW(L"INSTALLER_STANDIN_SILENT_SWITCH", nullptr);
    ::SetEnvironmentVariableW(L"INSTALLER_STANDIN_CHILD_MS", nullptr);
}

TEST_F(WorkflowWine, ASecondClickWhileTheFirstSetupRunsInstallsAgain) {
    ::SetEnvironmentVariableW(L"INSTALLER_STANDIN_RUN_MS", L"8000");
    ServeBluetooth("bt_top.zip");
    test::CWindowDriver window;
    std::vector<std::wstring> started;
    for (int click = 0; click < 2; ++click) {
        window.Click(IDC_BTN_BLUETOOTH);
        const auto starts = test::WaitStandInStarts(20000);
        ASSERT_EQ(starts.size(), 1u) << click;
        started.push_back(test::StartedPath(starts[0]));
        ASSERT_TRUE(test::WaitIdle(BluetoothBusy(), 10000));
    }
    ::SetEnvironmentVariableW(L"INSTALLER_STANDIN_RUN_MS", nullptr);
    EXPECT_NE(started[0], started[1]);  // each from a folder of its own, the first still running
    EXPECT_EQ(test::JobFolders().size(), 2u);
    EXPECT_EQ(window.Text(window.Control(IDC_STATUS)), kSetupStartedText);
}

namespace {

// The service's answer for a file it serves, with its SHA-256.
std::string HashedAnswer(const std::string& file) {
    return Quote(R"({"status": true, "downloadURL": ")" + test::ServiceUrl("/files/" + file) + R"(", "sha256": ")" +
                 test::ServiceSha256(file) + R"("})");
}

// A Bluetooth package for each Windows the service tells apart (Windows 8's
// its own), and the receiver and hotspot installers (the hotspot's unsigned
// when asked).
void ServeEveryPackage(bool unsignedHotspot) {
    const std::string bluetooth = "/api/rx/RealtekDrivers?os=";
    const std::string query = "&wirelessType=bluetooth&wirelessProduct=8821CU";
    test::SetServiceScript("{\"" + bluetooth + "win7" + query + "\": {\"body\": " + HashedAnswer("bt_top.zip") + "}, \"" +
                           bluetooth + "win8" + query + "\": {\"body\": " + HashedAnswer("bt_nested.zip") + "}, \"" +
                           bluetooth + "win10" + query + "\": {\"body\": " + HashedAnswer("bt_top.zip") + "}, " +
                           R"("/api/rx/QuilloRXApp": {"body": )" + HashedAnswer("rx.exe") + "}, " +
                           R"("/api/rx/TWHotspot": {"body": )" + HashedAnswer(unsignedHotspot ? "unsigned.exe" : "rx.exe") +
                           R"(}, "/files/bt_top.zip": {"file": "bt_top.zip"}, "/files/bt_nested.zip": {"file": "bt_nested.zip"},)"
                           R"( "/files/rx.exe": {"file": "rx.exe"}, "/files/unsigned.exe": {"file": "unsigned.exe"}})");
}

ExitCode LayOut(const std::wstring& folder) {
    CWindowsJobSystem system(true);
    return RunLayout(ParseCommandLine({L"/layout", folder}), system, [](const std::wstring& l) { sys::Log(l); });
}

ExitCode QuietBluetooth() {
    CWindowsJobSystem system(true);
    return RunQuiet(ParseCommandLine({L"/quiet", L"/bluetooth"}), system,
                    [](TranslationKey key) { return std::wstring(kTranslationKeys[key]); }, [](const std::wstring&) {});
}

std::size_t Downloads(const std::vector<std::string>& requests) {
    return std::count_if(requests.begin(), requests.end(),
                         [](const std::string& line) { return line.find("/files/") != std::string::npos; });
}

}  // namespace

// Writes bytes to a new file, or replaces one.
void WriteFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc) << bytes;
}

std::string Sha256Of(const std::wstring& path) {
    const sys::CFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return file.Valid() ? sys::FileSha256(file.Get()) : std::string();
}


// /layout fetches, proves and stores every package once (the Bluetooth
// package two Windows share: once); installs take it only when something
// besides its manifest vouches for it: the service's hash (then without a
// download), the manifest the program pins, or a layout only administrators
// can change (under Wine: the mode bits, since every owner reads back as
// this user).
TEST_F(WorkflowWine, TheOfflineLayoutIsMadeOnceAndUsedOnlyWhenVouchedFor) {
    Offered(JobId::Hotspot) = true;
    Offered(JobId::Receiver) = true;
    g_settings.run.unattended = true;
    test::CTempFolder layout(L"layout");
    const std::wstring packages = layout.Path() + L"\\packages\\";
    ServeEveryPackage(false);
    ASSERT_EQ(LayOut(layout.Path()), kExitDone);
    const std::vector<LayoutEntry> entries = ReadLayoutManifest(test::ReadBytes(packages + L"manifest.json"));
    const struct { const char* job; const char* windows; const char* served; } stored[] = {
        {"bluetooth", "win7", "bt_top.zip"}, {"bluetooth", "win8", "bt_nested.zip"},
        {"bluetooth", "win10", "bt_top.zip"}, {"hotspot", "", "rx.exe"}, {"receiver", "", "rx.exe"}};
    EXPECT_EQ(entries.size(), std::size(stored));
    for (const auto& s : stored) {
        const LayoutEntry* entry = FindLayoutEntry(entries, s.job, s.windows);
        ASSERT_TRUE(entry) << s.job << s.windows;
        EXPECT_EQ(entry->file, LayoutFileName(s.job, test::ServiceSha256(s.served), s.served));
        EXPECT_EQ(entry->sha256, test::ServiceSha256(s.served)) << entry->file;
        EXPECT_EQ(entry->source, test::ServiceUrl(std::string("/files/") + s.served)) << entry->file;
        EXPECT_EQ(test::ReadBytes(packages + Utf8ToWide(entry->file)), test::ReadBytes(test::ServiceFile(s.served)));
    }
    EXPECT_TRUE(test::Exists(layout.Path() + L"\\Installer.exe"));
    EXPECT_TRUE(test::Exists(layout.Path() + L"\\data\\7za.exe"));
    EXPECT_EQ(Downloads(test::TakeRequests()), 4u);  // bt_top.zip once for Windows 7 and 10
    EXPECT_TRUE(test::JobFolders().empty());
    EXPECT_TRUE(test::TakeStandInStarts().empty());  // proven, never started
    // Again: asked, nothing downloaded, the manifest as it was.
    ASSERT_EQ(LayOut(layout.Path()), kExitDone);
    EXPECT_EQ(Downloads(test::TakeRequests()), 0u);
    EXPECT_EQ(ReadLayoutManifest(test::ReadBytes(packages + L"manifest.json")).size(), entries.size());
    // An unsigned package is not stored, and the code says why.
    {
        test::CTempFolder refused(L"layout-refused");
        ServeEveryPackage(true);
        EXPECT_EQ(LayOut(refused.Path()), kExitPackageRefused);
        EXPECT_EQ(ReadLayoutManifest(test::ReadBytes(refused.Path() + L"\\packages\\manifest.json")).size(), 4u);
        test::TakeRequests();
        ServeEveryPackage(false);
    }

    // The service down: the window and quiet mode install from a layout only
    // administrators can change.
    g_settings.run.sourceFolder = layout.Path();
    g_settings.serviceHost = test::ServiceHost(9);
    {
        g_settings.run.unattended = false;
        test::CWindowDriver window;
        window.Click(IDC_BTN_BLUETOOTH);
        const auto starts = test::WaitStandInStarts(20000);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_NE(test::StartedPath(starts[0]).find(L"\\package\\Setup.exe"), std::wstring::npos) << starts[0];
        ASSERT_TRUE(test::WaitIdle(BluetoothBusy(), 10000));
        EXPECT_EQ(window.Text(window.Control(IDC_STATUS)), kSetupStartedText);
        EXPECT_EQ(::SendMessageW(window.Control(IDC_PROGRESS_BLUETOOTH), PBM_GETPOS, 0, 0), 100);  // the copy's bar
        g_settings.run.unattended = true;
    }
    test::ClearWorkFolder();
    EXPECT_EQ(QuietBluetooth(), kExitDone);
    EXPECT_EQ(test::TakeStandInStarts().size(), 1u);
    // Up, it is asked; naming the layout's package, it saves the download.
    g_settings.serviceHost = test::ServiceHost();
    test::TakeRequests();
    EXPECT_EQ(QuietBluetooth(), kExitDone);
    const auto requests = test::TakeRequests();
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(Downloads(requests), 0u);
    test::TakeStandInStarts();

    // Copies of the layout, changed as someone who may write where it lies would.
    const std::string manifest = test::ReadBytes(packages + L"manifest.json");
    // This process asks for the package of the Windows it decided on at its start.
    const std::wstring used = Utf8ToWide(FindLayoutEntry(entries, "bluetooth", ServiceOsValue(ThisWindows()))->file);
    std::string outside = manifest;
    for (std::size_t at; (at = outside.find("\"bluetooth_")) != std::string::npos;) outside.replace(at, 1, "\"..\\\\");
    enum Change { None, EveryoneWrites, ByteChanged, SecondName, LinkedPackages, ManifestChanged };
    // Where the copy lies: here, on a removable drive (whose security came with the medium), or
    // there under a place the machine's policy names.
    enum Place { Local, Removable, RemovableNamed };
    const struct { const char* name; Change change; std::string manifest; bool pinned; const char* serves;
                   bool offline; ExitCode code; std::size_t downloads; Place place = Local; const char* logged = nullptr; } cases[] = {
        {"administrators' only, offline", None, manifest, false, nullptr, true, kExitDone, 0},
        // Its own manifest vouches for nothing where others may change it.
        {"others may change it, offline", EveryoneWrites, manifest, false, nullptr, true, kExitInstallerMissing, 0},
        {"others may change it, service down", EveryoneWrites, manifest, false, nullptr, false, kExitNoConnection, 0},
        // The manifest the program pins vouches wherever it lies; no other one does.
        {"pinned, others may change it", EveryoneWrites, manifest, true, nullptr, true, kExitDone, 0},
        {"pinned, its manifest changed", ManifestChanged, manifest, true, nullptr, true, kExitInstallerMissing, 0},
        // While the service answers it decides: another package than it names is downloaded.
        {"the service names another", None, manifest, false, "bt_nested.zip", false, kExitDone, 1},
        {"a byte changed, service up", ByteChanged, manifest, false, "bt_top.zip", false, kExitDone, 1},
        {"a byte changed, service down", ByteChanged, manifest, false, nullptr, false, kExitNoConnection, 0},
        {"outside packages, service down", None, outside, false, nullptr, false, kExitNoConnection, 0},
        // A file with a second name is never read: the log would tell another file's hash.
        {"a package with a second name", SecondName, manifest, false, nullptr, true, kExitInstallerMissing, 0},
        {"packages\\ a link", LinkedPackages, manifest, false, nullptr, true, kExitInstallerMissing, 0},
        {"offline without an entry", None, R"({"packages": []})", false, nullptr, true, kExitInstallerMissing, 0},
        {"administrators' only on a removable drive, offline", None, manifest, false, nullptr, true,
         kExitInstallerMissing, 0, Removable, "on a removable drive, which no machine policy names"},
        {"the same where the policy names it", None, manifest, false, nullptr, true, kExitDone, 0, RemovableNamed,
         "vouched for by a folder only administrators can change"},
        {"pinned on a removable drive", None, manifest, true, nullptr, true, kExitDone, 0, Removable,
         "vouched for by the manifest pinned in this program"},
    };
    struct CLines : sys::ILogSink {
        CLines() { sys::AddLogSink(*this); }
        ~CLines() override { sys::RemoveLogSink(*this); }
        void Write(const std::wstring& line) override { lines += WideToUtf8(line) + "\n"; }
        std::string lines;
    } log;
    for (const auto& c : cases) {
        test::CTempFolder changed(L"layout-changed", c.place == Local ? L"" : test::kRemovableDrive),
            elsewhere(L"layout-elsewhere");
        const std::unique_ptr<test::CLayoutPolicy> policy =
            c.place == RemovableNamed ? std::make_unique<test::CLayoutPolicy>(changed.Path()) : nullptr;
        log.lines.clear();
        const std::wstring copies = c.change == LinkedPackages ? elsewhere.Path() : changed.Path() + L"\\packages";
        ::CreateDirectoryW(copies.c_str(), nullptr);
        const std::unique_ptr<test::CHostLink> link =
            c.change == LinkedPackages ? std::make_unique<test::CHostLink>(copies, changed.Path() + L"\\packages") : nullptr;
        ASSERT_TRUE(!link || link->Made()) << c.name;
        for (const LayoutEntry& entry : entries)
            if (entry.job == "bluetooth") WriteFile(copies + L"\\" + Utf8ToWide(entry.file), test::ReadBytes(packages + Utf8ToWide(entry.file)));
        if (c.change == ByteChanged) {
            std::string bytes = test::ReadBytes(copies + L"\\" + used);
            bytes[bytes.size() / 2] ^= 1;
            WriteFile(copies + L"\\" + used, bytes);
        }
        if (c.change == SecondName) {
            const std::wstring other = elsewhere.Path() + L"\\secret.zip";
            ::MoveFileW((copies + L"\\" + used).c_str(), other.c_str());
            ASSERT_TRUE(::CreateHardLinkW((copies + L"\\" + used).c_str(), other.c_str(), nullptr));
        }
        WriteFile(copies + L"\\manifest.json", c.change == ManifestChanged ? c.manifest + " " : c.manifest);
        if (c.change == EveryoneWrites || c.change == ManifestChanged) {
            ASSERT_TRUE(test::LetEveryoneWrite(changed.Path()));
        }
        g_settings.pinnedLayoutManifestSha256 = c.pinned ? Sha256Of(packages + L"manifest.json") : "";
        g_settings.run.sourceFolder = changed.Path();
        g_settings.serviceHost = test::ServiceHost(c.serves ? 0 : 9);
        if (c.serves)
            test::SetServiceScript(R"({"/api/rx/RealtekDrivers": {"body": )" + HashedAnswer(c.serves) + R"(}, "/files/)" +
                                   c.serves + R"(": {"file": ")" + c.serves + R"("}})");
        g_settings.run.offline = c.offline;
        test::TakeRequests();
        EXPECT_EQ(QuietBluetooth(), c.code) << c.name;
        EXPECT_EQ(test::TakeStandInStarts().size(), c.code == kExitDone ? 1u : 0u) << c.name;
        EXPECT_EQ(Downloads(test::TakeRequests()), c.downloads) << c.name;
        if (c.logged) {
            EXPECT_NE(log.lines.find(c.logged), std::string::npos) << c.name << "\n" << log.lines;
        }
        test::ClearWorkFolder();
    }
}

// /layout writes only inside its folder: names planted there (a second name
// of a file outside, a link in place of packages\ or data\) are replaced or
// refused, never written through; its own folder is known by what it is,
// however it is spelt.
TEST_F(WorkflowWine, ALayoutRunWritesOnlyInsideItsFolder) {
    g_settings.run.unattended = true;
    ServeEveryPackage(false);
    test::CTempFolder layout(L"layout-planted"), outside(L"layout-outside");
    const std::wstring victim = outside.Path() + L"\\victim";
    WriteFile(victim, "someone else's file");
    layout.Make(L"data", true);
    layout.Make(L"packages", true);
    const std::string top = test::ServiceSha256("bt_top.zip");
    for (const std::wstring& name : std::vector<std::wstring>{L"Installer.exe", L"data\\translation.json", L"data\\7za.exe",
                                     L"data\\WifiAutoInstallSetup.exe", L"packages\\manifest.json",
                                     L"packages\\manifest.json.new",
                                     L"packages\\" + Utf8ToWide(LayoutFileName("bluetooth", top, "bt_top.zip"))})
        ASSERT_TRUE(::CreateHardLinkW((layout.Path() + L"\\" + name).c_str(), victim.c_str(), nullptr)) << WideToUtf8(name);
    ASSERT_EQ(LayOut(layout.Path()), kExitDone);
    EXPECT_EQ(test::ReadBytes(victim), "someone else's file");
    EXPECT_EQ(ReadLayoutManifest(test::ReadBytes(layout.Path() + L"\\packages\\manifest.json")).size(), 3u);
    EXPECT_EQ(test::ReadBytes(layout.Path() + L"\\data\\7za.exe"), test::ReadBytes(test::ProgramFolder() + L"data\\7za.exe"));

    // Its own folder, however spelt (here with a trailing backslash): the
    // program is not copied over what lies there.
    const std::wstring own = test::ProgramFolder(), installer = own + L"Installer.exe";
    const std::string before = test::ReadBytes(installer);
    EXPECT_EQ(LayOut(own), kExitDone);
    const std::string after = test::ReadBytes(installer);
    if (after != before) WriteFile(installer, before);  // the build's own program, put back
    EXPECT_TRUE(after == before);
    test::RemoveTree(own + L"packages");

    // What the manifest named before counts only while nobody but the administrators could
    // have put it there: an entry planted in a layout others may write is dropped.
    for (const bool everyoneWrites : {false, true}) {
        test::CTempFolder planted(L"layout-planted-entry");
        ASSERT_EQ(LayOut(planted.Path()), kExitDone);
        const std::wstring manifestPath = planted.Path() + L"\\packages\\manifest.json";
        std::vector<LayoutEntry> entries = ReadLayoutManifest(test::ReadBytes(manifestPath));
        const std::string rx = test::ServiceSha256("rx.exe"), name = LayoutFileName("receiver", rx, "rx.exe");
        WriteFile(planted.Path() + L"\\packages\\" + Utf8ToWide(name), test::ReadBytes(test::ServiceFile("rx.exe")));
        entries.push_back({"receiver", "", name, test::ReadBytes(test::ServiceFile("rx.exe")).size(), rx,
                           test::ServiceUrl("/files/rx.exe"), "2026-12-09T13:00:00Z"});
        WriteFile(manifestPath, WriteLayoutManifest(entries));
        if (everyoneWrites) {
            ASSERT_TRUE(test::LetEveryoneWrite(planted.Path()));
        }
        ASSERT_EQ(LayOut(planted.Path()), kExitDone);
        EXPECT_EQ(FindLayoutEntry(ReadLayoutManifest(test::ReadBytes(manifestPath)), "receiver", "") != nullptr,
                  !everyoneWrites);
    }

    // A link where it writes: refused, with its code, and nothing written there.
    for (const wchar_t* linked : {L"", L"\\packages", L"\\data"}) {
        test::CTempFolder folder(L"layout-linked"), target(L"layout-target");
        const std::wstring dir = folder.Path() + L"\\dir";
        if (*linked) ::CreateDirectoryW(dir.c_str(), nullptr);
        const test::CHostLink link(target.Path(), dir + linked);
        ASSERT_TRUE(link.Made()) << WideToUtf8(linked);
        EXPECT_EQ(LayOut(dir), kExitLinkRefused) << WideToUtf8(linked);
        EXPECT_EQ(test::Names(target.Path()), std::vector<std::wstring>{}) << WideToUtf8(linked);
    }
    test::TakeRequests();
}

// Windows Installer reads an installed package again for a repair or change:
// a started .msi runs from the work folder's package cache, which the next
// run's clean-up keeps (the job folders go) until it has lain unused too long.
TEST_F(WorkflowWine, AStartedMsiRunsFromThePackageCacheAndOutlastsTheCleanUp) {
    struct CLines : sys::ILogSink {
        CLines() { sys::AddLogSink(*this); }
        ~CLines() override { sys::RemoveLogSink(*this); }
        void Write(const std::wstring& line) override { lines += line + L"\n"; }
        std::wstring lines;
    } log;
    test::SetServiceScript(R"({"/api/rx/TWHotspot": {"body": )" + HashedAnswer("setup.msi") +
                           R"(}, "/files/setup.msi": {"file": "setup.msi"}})");
    Offered(JobId::Hotspot) = true;
    g_settings.packageSigner.clear();  // a stand-in package nobody signed
    g_settings.unsignedPackagesAllowed = true;
    g_settings.run.unattended = true;
    g_settings.silentArguments[JobIndex(JobId::Hotspot)] = L"/qn";
    CWindowsJobSystem system(true);
    RunQuiet(ParseCommandLine({L"/quiet", L"/hotspot"}), system,
             [](TranslationKey key) { return std::wstring(kTranslationKeys[key]); }, [](const std::wstring&) {});
    const std::wstring entry = test::WorkFolder(L"msi-cache\\" + Utf8ToWide(test::ServiceSha256("setup.msi")));
    EXPECT_NE(log.lines.find(L"/i \"" + entry + L"\\setup.msi\" /qn"), std::wstring::npos) << log.lines;
    EXPECT_EQ(test::ReadBytes(entry + L"\\setup.msi"), test::ReadBytes(test::ServiceFile("setup.msi")));

    g_settings.packageCacheDays = 30;
    sys::CleanWorkFolder(sys::GetWorkFolder());
    EXPECT_TRUE(test::JobFolders().empty());
    EXPECT_TRUE(test::Exists(entry + L"\\setup.msi"));
    g_settings.packageCacheDays = 0;  // unused for longer than that now
    sys::CleanWorkFolder(sys::GetWorkFolder());
    EXPECT_FALSE(test::Exists(entry));

    // One whose files come from a cabinet beside it cannot install from the one download: not started.
    log.lines.clear();
    test::SetServiceScript(R"({"/api/rx/TWHotspot": {"body": )" + HashedAnswer("external.msi") +
                           R"(}, "/files/external.msi": {"file": "external.msi"}})");
    CWindowsJobSystem again(true);
    EXPECT_EQ(RunQuiet(ParseCommandLine({L"/quiet", L"/hotspot"}), again,
                       [](TranslationKey key) { return std::wstring(kTranslationKeys[key]); },
                       [&log](const std::wstring& line) { log.lines += line + L"\n"; }), kExitPackageRefused);
    EXPECT_NE(log.lines.find(L"needs the cabinet disk1.cab beside it"), std::wstring::npos) << log.lines;
    EXPECT_EQ(log.lines.find(L"msiexec"), std::wstring::npos) << log.lines;
}

namespace {

// What the window's taskbar button was told, each change once.
class CTaskbarLog : public ITaskbarButton {
public:
    CTaskbarLog(std::vector<TaskbarState>& states, std::vector<DWORD>& threads, std::mutex& lock)
        : m_states(states), m_threads(threads), m_lock(lock) {}
    void Show(const TaskbarView& view) override {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_threads.push_back(::GetCurrentThreadId());
        if (m_states.empty() || m_states.back() != view.state) m_states.push_back(view.state);
    }
private:
    std::vector<TaskbarState>& m_states;
    std::vector<DWORD>& m_threads;
    std::mutex& m_lock;
};

}  // namespace

// A cancel ends the job within a moment whatever it waits on: a read from a
// slow server, the wait before another attempt, the archiver (which is
// ended). The status line says so and another click works. The cancel is a
// real button in the tab order after its command, named for screen readers.
TEST_F(WorkflowWine, ACancelEndsTheJobWhateverItWaitsOn) {
    const std::wstring archiver = test::ProgramFolder() + L"data\\7za.exe", aside = archiver + L".aside";
    const std::string answer = R"({"/api/rx/RealtekDrivers": {"body": )" + Quote(test::PackageAnswer("bt_top.zip")) + "}";
    enum Wait { Read, BackOff, Archiver };
    const struct { const char* name; Wait wait; std::string files; } cases[] = {
        {"a slow read", Read, R"("/files/bt_top.zip": {"file": "bt_top.zip", "chunk_delay_ms": 3000, "ranges": true})"},
        {"the wait before another attempt", BackOff, R"("/files/bt_top.zip": {"status": 503})"},
        {"the archiver", Archiver, R"("/files/bt_top.zip": {"file": "bt_top.zip"})"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::ClearWorkFolder();
        test::SetServiceScript(answer + ", " + c.files + "}");
        g_settings.retryBaseMs = c.wait == BackOff ? 60000 : 1000;
        std::unique_ptr<test::CWifiStandIn> hanging;
        if (c.wait == Archiver) {  // an archiver that never ends: the Wi-Fi stand-in, pinned
            ASSERT_TRUE(::MoveFileW(archiver.c_str(), aside.c_str()));
            hanging = std::make_unique<test::CWifiStandIn>(0, 600000);
            ASSERT_TRUE(::CopyFileW(test::ServiceFile("wifi.exe").c_str(), archiver.c_str(), FALSE));
            g_settings.archiverSha256 = test::ServiceSha256("wifi.exe");
        }
        const int runs = test::CWifiStandIn::Runs();
        test::CWindowDriver window;
        window.Click(IDC_BTN_BLUETOOTH);
        ASSERT_TRUE(WaitUntil([&] { return window.Visible(IDC_CANCEL_BLUETOOTH); }, 15000));
        // Waiting where the case says: after the first refused attempt, or while the archiver runs.
        std::size_t requests = 0;
        const bool waiting = c.wait == BackOff   ? WaitUntil([&] { return (requests += test::TakeRequests().size()) >= 2; }, 15000)
                             : c.wait == Archiver ? WaitUntil([&] { return test::CWifiStandIn::Runs() > runs; }, 15000)
                                                  : true;
        ASSERT_TRUE(waiting);
        const DWORD start = ::GetTickCount();
        if (c.wait == Read) {  // by the keyboard: Tab from the command reaches its cancel, Esc cancels
            ::SendMessageW(window.Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(window.Control(IDC_BTN_BLUETOOTH)), TRUE);
            ASSERT_TRUE(test::WaitFocus(window.Window(), window.Control(IDC_BTN_BLUETOOTH)));
            test::Press(VK_TAB);
            EXPECT_TRUE(test::WaitFocus(window.Window(), window.Control(IDC_CANCEL_BLUETOOTH)));
            EXPECT_EQ(window.Text(window.Control(IDC_CANCEL_BLUETOOTH)), L"Cancel Bluetooth driver download");  // its name, its job's
            window.SaveScreenshot(L"cancel-while-downloading");
            test::Press(VK_ESCAPE);
        } else {
            window.Click(IDC_CANCEL_BLUETOOTH);
        }
        EXPECT_TRUE(test::WaitIdle(BluetoothBusy(), 5000));
        EXPECT_LT(::GetTickCount() - start, 5000u);  // about one second; Wine's start-up of the click is in it
        EXPECT_EQ(window.Text(window.Control(IDC_STATUS)), L"Installation canceled.");
        EXPECT_FALSE(window.Visible(IDC_CANCEL_BLUETOOTH));
        EXPECT_FALSE(window.Visible(IDC_PROGRESS_BLUETOOTH));
        EXPECT_TRUE(test::TakeStandInStarts().empty());  // nothing after the cancel starts
        if (c.wait == Read) window.SaveScreenshot(L"cancelled");
        if (c.wait == Archiver) {
            EXPECT_EQ(RunningNamed(L"7za.exe"), 0);  // ended with all it started
            hanging.reset();
            ::MoveFileExW(aside.c_str(), archiver.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
        EXPECT_TRUE(WaitUntil([&] { return test::JobFolders().empty(); }, 5000));
    }
}

// The taskbar button, through its seam (Wine's taskbar shows nothing): busy
// while the service is asked and while the package is checked and unpacked,
// the bytes while it downloads, cleared once the setup runs on its own, the
// error state after a job failed.
TEST_F(WorkflowWine, TheTaskbarButtonFollowsTheJobs) {
    std::vector<TaskbarState> states;
    std::vector<DWORD> threads;
    std::mutex lock;
    test::CWindowDriver window;
    window.Dialog().UseTaskbarButton(std::make_unique<CTaskbarLog>(states, threads, lock));
    const auto taken = [&] {
        const std::lock_guard<std::mutex> guard(lock);
        std::vector<TaskbarState> seen;
        seen.swap(states);
        return seen;
    };
    test::SetServiceScript(R"({"/api/rx/RealtekDrivers": {"body": )" + Quote(test::PackageAnswer("bt_top.zip")) +
                           R"(}, "/files/bt_top.zip": {"file": "bt_top.zip", "chunk_delay_ms": 300}})");
    window.Click(IDC_BTN_BLUETOOTH);
    ASSERT_TRUE(test::WaitIdle(BluetoothBusy(), 30000));
    std::vector<TaskbarState> good = taken();
    good.erase(std::unique(good.begin(), good.end()), good.end());
    EXPECT_EQ(good, (std::vector<TaskbarState>{TaskbarState::Indeterminate, TaskbarState::Normal,
                                                TaskbarState::Indeterminate, TaskbarState::None}));
    ServeBluetooth("bt_unsigned.zip");
    window.Click(IDC_BTN_BLUETOOTH);
    ASSERT_TRUE(test::WaitIdle(BluetoothBusy(), 30000));
    const std::vector<TaskbarState> refused = taken();
    ASSERT_FALSE(refused.empty());
    EXPECT_EQ(refused.back(), TaskbarState::Error);

    // Two jobs telling what they came to at once, again and again: only the
    // window's thread ever touched the button (and the state it shows).
    const test::CWifiStandIn wifi(0, 0);
    ServeBluetooth("bt_top.zip");
    for (int round = 0; round < 4; ++round) {
        window.Click(IDC_BTN_WIFI);
        window.Click(IDC_BTN_BLUETOOTH);
        ASSERT_TRUE(test::WaitIdle(BusyFlag(JobId::Wifi), 30000));
        ASSERT_TRUE(test::WaitIdle(BluetoothBusy(), 30000));
    }
    test::TakeStandInStarts();
    const DWORD windowThread = ::GetWindowThreadProcessId(window.Window(), nullptr);
    const std::lock_guard<std::mutex> guard(lock);
    ASSERT_FALSE(threads.empty());
    EXPECT_EQ(std::count(threads.begin(), threads.end(), windowThread), static_cast<std::ptrdiff_t>(threads.size()));
}
