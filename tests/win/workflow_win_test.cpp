// The download workflows end to end: the real window, real WinINet against the
// local HTTPS service, real 7-Zip archives and stand-in installers.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <thread>

#include "devservice_win.h"
#include "install/busy_flag.h"
#include "net/device_service.h"
#include "res/resource.h"
#include "sys/paths.h"
#include "window_driver_win.h"
#include "wine_helpers_win.h"

std::string Quote(const std::string& json);

namespace {

class WorkflowWine : public ::testing::Test {
protected:
    void SetUp() override {
        g_serviceHost = test::ServiceHost();
        test::ClearWorkFolder();
        test::TakeRequests();
    }
};

void ServeBluetooth(const std::string& archive, const std::string& extra = "") {
    test::SetServiceScript(R"({"/api/rx/RealtekDrivers": {"body": )" + Quote(test::PackageAnswer(archive)) +
                           R"(}, "/files/)" + archive + R"(": {"file": ")" + archive +
                           R"(", "chunk_delay_ms": 0})" + extra + "}");
}

// Visible message dialogs of this process without an owner: the no-connection message.
HWND FindMessageDialog(DWORD waitMs) {
    for (DWORD waited = 0; waited <= waitMs; waited += 50) {
        HWND found = nullptr;
        ::EnumWindows([](HWND hwnd, LPARAM out) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(hwnd, &pid);
            if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(hwnd) && ::GetDlgItem(hwnd, IDC_EXTRA_TEXT)) {
                *reinterpret_cast<HWND*>(out) = hwnd;
                return FALSE;
            }
            return TRUE;
        }, reinterpret_cast<LPARAM>(&found));
        if (found) return found;
        ::Sleep(50);
    }
    return nullptr;
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
    bool barSeen = false;
    for (int i = 0; i < 200 && !barSeen; ++i) {
        barSeen = window.Visible(IDC_PROGRESS_BLUETOOTH);
        if (!barSeen) ::Sleep(10);
    }
    EXPECT_TRUE(barSeen);
    ASSERT_TRUE(test::WaitIdle(g_bluetoothBusy, 30000));
    EXPECT_FALSE(window.Visible(IDC_PROGRESS_BLUETOOTH));
    EXPECT_EQ(::SendMessageW(window.Control(IDC_PROGRESS_BLUETOOTH), PBM_GETPOS, 0, 0), 100);
    EXPECT_TRUE(test::Exists(GetWorkFolder(L"bt_nested.zip")));
    EXPECT_TRUE(test::Exists(GetWorkFolder(L"Driver\\Setup.exe")));
    ::Sleep(1500);
    const auto starts = test::TakeStandInStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].substr(0, starts[0].find(L'|')), GetWorkFolder(L"Driver\\Setup.exe"));
    EXPECT_EQ(window.Text(window.Control(IDC_STATUS)), L"");
    EXPECT_FALSE(FindMessageDialog(0));
    const auto requests = test::TakeRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1], "GET /files/bt_nested.zip HTTP/1.0");
}

TEST_F(WorkflowWine, BluetoothArchiveProblemsEndInTheStatusText) {
    const std::wstring missing = L"The Bluetooth driver package has no setup program. Please try again later.";
    for (const char* archive : {"bt_deep.zip", "broken.zip"}) {
        test::ClearWorkFolder();
        ServeBluetooth(archive);
        test::CWindowDriver window;
        window.Click(IDC_BTN_BLUETOOTH);
        ASSERT_TRUE(test::WaitIdle(g_bluetoothBusy, 30000));
        EXPECT_EQ(window.Text(window.Control(IDC_STATUS)), missing) << archive;
        EXPECT_TRUE(test::TakeStandInStarts().empty()) << archive;
    }
    // A Setup.exe left by an earlier run is not started when the archiver fails.
    test::ClearWorkFolder();
    ::CreateDirectoryW(GetWorkFolder(L"old").c_str(), nullptr);
    ::CopyFileW(test::ServiceFile("rx.exe").c_str(), GetWorkFolder(L"old\\Setup.exe").c_str(), FALSE);
    ServeBluetooth("broken.zip");
    test::CWindowDriver window;
    window.Click(IDC_BTN_BLUETOOTH);
    ASSERT_TRUE(test::WaitIdle(g_bluetoothBusy, 30000));
    ::Sleep(500);
    EXPECT_TRUE(test::TakeStandInStarts().empty());
    EXPECT_EQ(window.Text(window.Control(IDC_STATUS)), missing);
}

TEST_F(WorkflowWine, ServiceDownShowsTheNoConnectionMessage) {
    g_serviceHost = test::ServiceHost(9);  // nobody listens there
    test::CWindowDriver window;
    window.Click(IDC_BTN_BLUETOOTH);
    HWND message = FindMessageDialog(15000);
    ASSERT_TRUE(message);
    EXPECT_EQ(::GetWindow(message, GW_OWNER), nullptr);
    EXPECT_EQ(window.Text(::GetDlgItem(message, IDC_EXTRA_TEXT)), L"No Internet connection. Connect and try again.");
    window.SaveScreenshot(L"no-connection-main-window");
    // The command is ignored while the message is open; the window still answers.
    window.Click(IDC_BTN_BLUETOOTH);
    ::Sleep(400);
    EXPECT_TRUE(g_bluetoothBusy);
    DWORD_PTR answer = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(window.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer));
    ::SendMessageW(message, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(test::WaitIdle(g_bluetoothBusy, 5000));
    EXPECT_FALSE(FindMessageDialog(300));
}

TEST_F(WorkflowWine, BadAnswersAndBadDownloadsShowTheMessage) {
    const char* answers[] = {
        R"({"status": 404, "body": "<html>not found</html>"})",
        R"({"status": 500, "body": "{\"status\": true, \"downloadURL\": \"x\"}"})",
        R"({"body": ""})",
        R"({"body": "[1, 2]"})",
        R"({"body": "{\"status\": \"yes\", \"downloadURL\": \"https://localhost/a.zip\"}"})",
        R"({"body": "{\"status\": true, \"downloadURL\": \"https://localhost:18443/files/\"}"})",
        R"({"body": "{\"status\": true, \"downloadURL\": \"https://localhost:18443/files/..%5cevil.exe\"}"})",
        R"({"body": "{\"status\": true, \"downloadURL\": \"https://localhost:18443/files/nothere.zip\"}"})",
    };
    for (const char* answer : answers) {
        test::SetServiceScript(std::string(R"({"/api/rx/RealtekDrivers": )") + answer + "}");
        test::CWindowDriver window;
        window.Click(IDC_BTN_BLUETOOTH);
        HWND message = FindMessageDialog(15000);
        EXPECT_TRUE(message) << answer;
        if (message) ::SendMessageW(message, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_TRUE(test::WaitIdle(g_bluetoothBusy, 5000));
        EXPECT_TRUE(test::TakeStandInStarts().empty());
    }
}

TEST_F(WorkflowWine, DoubleClickAsksTheServiceOnce) {
    ServeBluetooth("bt_top.zip");
    test::CWindowDriver window;
    window.Click(IDC_BTN_BLUETOOTH);
    window.Click(IDC_BTN_BLUETOOTH);
    ASSERT_TRUE(test::WaitIdle(g_bluetoothBusy, 30000));
    ::Sleep(300);
    EXPECT_EQ(test::TakeRequests().size(), 2u);  // one answer, one package
}

TEST_F(WorkflowWine, MissingArchiverEndsInTheStatusText) {
    ServeBluetooth("bt_top.zip");
    const std::wstring archiver = test::ProgramFolder() + L"data\\7za.exe";
    const std::wstring aside = archiver + L".aside";
    ASSERT_TRUE(::MoveFileW(archiver.c_str(), aside.c_str()));
    {
        test::CWindowDriver window;
        window.Click(IDC_BTN_BLUETOOTH);
        EXPECT_TRUE(test::WaitIdle(g_bluetoothBusy, 30000));
        EXPECT_EQ(window.Text(window.Control(IDC_STATUS)),
                  L"The Bluetooth driver package has no setup program. Please try again later.");
    }
    ::MoveFileW(aside.c_str(), archiver.c_str());
}

TEST_F(WorkflowWine, ReceiverAndHotspotRunSideBySide) {
    test::SetServiceScript(
        R"({"/api/rx/QuilloRXApp": {"body": )" + Quote(test::PackageAnswer("rx.exe")) + R"(},)"
        R"( "/api/rx/TWHotspot": {"body": )" + Quote(test::PackageAnswer("hotspot.exe")) + R"(},)"
        R"( "/files/rx.exe": {"file": "rx.exe", "chunk_delay_ms": 150},)"
        R"( "/files/hotspot.exe": {"file": "rx.exe", "chunk_delay_ms": 150}})");
    g_featureHotspot = g_featureReceiver = true;
    {
        test::CWindowDriver window;
        window.Click(IDC_BTN_RECEIVER);
        window.Click(IDC_BTN_HOTSPOT);
        bool bothShown = false;
        for (int i = 0; i < 300 && !bothShown; ++i) {
            bothShown = window.Visible(IDC_PROGRESS_RECEIVER) && window.Visible(IDC_PROGRESS_HOTSPOT);
            if (!bothShown) ::Sleep(10);
        }
        EXPECT_TRUE(bothShown);
        window.SaveScreenshot(L"receiver-and-hotspot");
        EXPECT_TRUE(test::WaitIdle(g_receiverBusy, 30000));
        EXPECT_TRUE(test::WaitIdle(g_hotspotBusy, 30000));
        ::Sleep(1000);
        auto starts = test::TakeStandInStarts();
        std::sort(starts.begin(), starts.end());
        ASSERT_EQ(starts.size(), 2u);
        EXPECT_EQ(starts[0].substr(0, starts[0].find(L'|')), GetWorkFolder(L"hotspot.exe"));
        EXPECT_EQ(starts[1].substr(0, starts[1].find(L'|')), GetWorkFolder(L"rx.exe"));
    }
    g_featureHotspot = g_featureReceiver = false;
}

// Run as a child process under each Windows version (see below).
TEST_F(WorkflowWine, DISABLED_BluetoothAsksForThisWindows) {
    test::SetServiceScript(R"({"/api/rx/RealtekDrivers": {"body": "{}"}})");
    test::CWindowDriver window;
    window.Click(IDC_BTN_BLUETOOTH);
    HWND message = FindMessageDialog(15000);
    ASSERT_TRUE(message);
    ::SendMessageW(message, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(test::WaitIdle(g_bluetoothBusy, 5000));
}

TEST_F(WorkflowWine, BluetoothRequestNamesTheWindowsVersion) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const struct { const wchar_t* wine; const char* os; } cases[] = {
        {L"win7", "win7"}, {L"win8", "win8"}, {L"win81", "win8"}, {L"win10", "win10"}};
    for (const auto& c : cases) {
        test::CWindowsVersionScope version(c.wine);
        EXPECT_EQ(test::RunAndWait(L"\"" + std::wstring(self) +
                                   L"\" --gtest_also_run_disabled_tests"
                                   L" --gtest_filter=WorkflowWine.DISABLED_BluetoothAsksForThisWindows"), 0);
        const auto requests = test::TakeRequests();
        ASSERT_EQ(requests.size(), 1u) << c.os;
        EXPECT_EQ(requests[0], std::string("GET /api/rx/RealtekDrivers?os=") + c.os +
                                   "&wirelessType=bluetooth&wirelessProduct=8821CU HTTP/1.0");
    }
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
    EXPECT_TRUE(g_wifiBusy);  // the Wi-Fi setup is still running meanwhile
    window.Click(IDC_BTN_WIFI);  // ignored while it runs
    ASSERT_TRUE(test::WaitIdle(g_wifiBusy, 15000));
    ::Sleep(400);
    EXPECT_EQ(test::CWifiStandIn::Runs(), 1);
}
