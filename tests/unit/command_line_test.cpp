#include <gtest/gtest.h>

#include "quiet/command_line.h"
#include "sys/utf8.h"

using Args = std::vector<std::wstring>;

// A row is named by its whole command line.
std::string Label(const Args& args) {
    std::string label;
    for (const std::wstring& argument : args) label += (label.empty() ? "" : " ") + WideToUtf8(argument);
    return label.empty() ? "(none)" : label;
}

TEST(CommandLine, SwitchesAndTheirErrors) {
    CSettingsOverride settings;
    Offered(JobId::Wifi) = true;
    Offered(JobId::Bluetooth) = true;
    Offered(JobId::Receiver) = true;
    Offered(JobId::Hotspot) = false;
    // chosen: one bit per job, in the table's order (Wi-Fi, Bluetooth, hotspot, receiver).
    const struct { Args args; bool quiet, help; int chosen; const wchar_t* language; const wchar_t* log; bool error; } cases[] = {
        {{}, false, false, 0, L"", L"", false},
        {{L"/quiet"}, true, false, 0, L"", L"", false},
        {{L"-QUIET", L"/Wifi", L"-bluetooth"}, true, false, 0b0011, L"", L"", false},
        {{L"/quiet", L"/receiver", L"/BLUETOOTH"}, true, false, 0b1010, L"", L"", false},
        {{L"/lang", L"JPN", L"/log", L"C:\\logs\\a b.log"}, false, false, 0, L"jpn", L"C:\\logs\\a b.log", false},
        {{L"-?"}, false, true, 0, L"", L"", false},
        {{L"/wifi"}, false, false, 0b0001, L"", L"", true},  // choosing needs /quiet
        {{L"/quiet", L"/bogus"}, true, false, 0, L"", L"", true},
        {{L"/quiet", L"/lang", L"xx"}, true, false, 0, L"", L"", true},
        {{L"/lang"}, false, false, 0, L"", L"", true},
        {{L"/log", L"/quiet"}, true, false, 0, L"", L"", true},  // a switch is no file name
        {{L"quiet"}, false, false, 0, L"", L"", true},
        {{L"/"}, false, false, 0, L"", L"", true},
        {{L"/quiet", L"/hotspot"}, true, false, 0b0100, L"", L"", true},  // not in this build
        {{L"/quiet", L"/log", L""}, true, false, 0, L"", L"", true},  // an empty name names no file
        {{L"/passive", L"/bluetooth"}, false, false, 0b0010, L"", L"", false},
        {{L"/passive", L"/quiet"}, true, false, 0, L"", L"", true},  // one or the other
        {{L"/detect", L"/wifi", L"/log", L"d.log"}, false, false, 0b0001, L"", L"d.log", false},
        {{L"/detect", L"/quiet"}, true, false, 0, L"", L"", true},  // it installs nothing
        {{L"/detect", L"/proxy", L"p:8080"}, false, false, 0, L"", L"", true},  // and asks nobody
    };
    for (const auto& c : cases) {
        const RunChoices line = ParseCommandLine(c.args);
        const std::string row = Label(c.args);
        EXPECT_EQ(line.quiet, c.quiet) << row;
        EXPECT_EQ(line.help, c.help) << row;
        for (int f = 0; f < kJobCount; ++f) EXPECT_EQ(line.chosen[f], ((c.chosen >> f) & 1) != 0) << row << f;
        EXPECT_EQ(line.language, c.language) << row;
        EXPECT_EQ(line.logFile, c.log) << row;
        EXPECT_EQ(!line.error.empty(), c.error) << row;
    }
    // The offline layout's switches: /layout fills one, /source and /offline use one.
    const struct { Args args; const wchar_t* layout; const wchar_t* source; bool offline; bool error; } layouts[] = {
        {{L"/layout", L"D:\\share"}, L"D:\\share", L"", false, false},
        {{L"/layout", L"D:\\share", L"/bluetooth"}, L"D:\\share", L"", false, false},
        {{L"/quiet", L"/source", L"\\\\srv\\mrl", L"/offline"}, L"", L"\\\\srv\\mrl", true, false},
        {{L"/quiet", L"-OFFLINE"}, L"", L"", true, false},
        {{L"/layout"}, L"", L"", false, true},
        {{L"/quiet", L"/source"}, L"", L"", false, true},
        {{L"/layout", L"D:\\x", L"/quiet"}, L"D:\\x", L"", false, true},
        {{L"/layout", L"D:\\x", L"/offline"}, L"D:\\x", L"", true, true},
        {{L"/layout", L"D:\\x", L"/passive"}, L"D:\\x", L"", false, true},
        {{L"/layout", L"D:\\x", L"/source", L"E:\\y"}, L"D:\\x", L"E:\\y", false, true},  // fills one, uses none
        {{L"/layout", L"D:\\x", L"/lang", L"fr", L"/log", L"l.txt", L"/?"}, L"D:\\x", L"", false, false},
        {{L"/layout", L""}, L"", L"", false, true},
        {{L"/quiet", L"/source", L""}, L"", L"", false, true},
    };
    for (const auto& c : layouts) {
        const RunChoices line = ParseCommandLine(c.args);
        const std::string row = Label(c.args);
        EXPECT_EQ(line.layoutFolder, c.layout) << row;
        EXPECT_EQ(line.sourceFolder, c.source) << row;
        EXPECT_EQ(line.offline, c.offline) << row;
        EXPECT_EQ(!line.error.empty(), c.error) << row;
    }
    // /proxy names a proxy as WinHTTP takes it, nothing else.
    const struct { const wchar_t* value; bool ok; } proxies[] = {
        {L"proxy.corp:8080", true}, {L"10.0.0.1:3128", true}, {L"[::1]:8080", true},
        {L"proxy.corp", false}, {L"proxy.corp:", false}, {L":8080", false}, {L"http://proxy.corp:8080", false},
        {L"alice@proxy.corp:8080", false}, {L"proxy corp:8080", false}, {L"proxy.corp:80x", false},
    };
    for (const auto& c : proxies) {
        const RunChoices line = ParseCommandLine({L"/quiet", L"/proxy", c.value});
        EXPECT_EQ(line.error.empty(), c.ok) << std::string(c.value, c.value + wcslen(c.value));
        EXPECT_EQ(line.proxy, c.value);
    }
    EXPECT_FALSE(ParseCommandLine({L"/quiet", L"/proxy"}).error.empty());
    // Where nobody sees the desktop (session 0), a window acts as quiet.
    const struct { Args args; bool desktop; RunMode mode; } modes[] = {
        {{}, true, RunMode::Window},
        {{}, false, RunMode::Quiet},
        {{L"/passive"}, true, RunMode::Passive},
        {{L"/passive"}, false, RunMode::Quiet},
        {{L"/quiet"}, true, RunMode::Quiet},
        {{L"/layout", L"D:\\x"}, false, RunMode::Layout},
        {{L"/layout", L"D:\\x"}, true, RunMode::Layout},
        {{L"/detect"}, true, RunMode::Detect},
    };
    for (const auto& c : modes) {
        const RunMode mode = ModeOf(ParseCommandLine(c.args), c.desktop);
        EXPECT_EQ(mode, c.mode) << Label(c.args) << c.desktop;
        // And what follows from it, made once.
        const RunChoices run = ChooseRun(c.args, c.desktop);
        EXPECT_EQ(run.mode, c.mode) << Label(c.args);
        EXPECT_EQ(run.unattended, c.mode != RunMode::Window) << Label(c.args);
        EXPECT_EQ(run.httpLibrary == HttpLibrary::WinHttp, run.unattended) << Label(c.args);
    }
    // Session 0's station says visible, yet nobody has seen it since Windows 10 1803.
    const struct { const char* name; DesktopFacts facts; bool visible; } desktops[] = {
        {"a user's session", {true, true, true, 1}, true},
        {"session 0", {true, true, true, 0}, false},
        {"a station nobody sees", {true, false, true, 2}, false},
        {"nothing could be asked", {false, false, false, 0}, true},
        {"the session unread", {true, true, false, 0}, true},
    };
    for (const auto& d : desktops) EXPECT_EQ(DesktopVisible(d.facts), d.visible) << d.name;
    // A build that names no signer neither makes nor uses a layout.
    g_settings.packageSigner.clear();
    EXPECT_FALSE(ParseCommandLine({L"/layout", L"D:\\share"}).error.empty());
    EXPECT_FALSE(ParseCommandLine({L"/quiet", L"/source", L"D:\\share"}).error.empty());
    EXPECT_TRUE(ParseCommandLine({L"/quiet", L"/offline"}).error.empty());
    g_settings.packageSigner = L"Vendor";
    // None chosen: every job the build offers.
    const RunChoices all = ParseCommandLine({L"/quiet"});
    EXPECT_TRUE(Chosen(all, JobOf(JobId::Receiver)));
    EXPECT_FALSE(Chosen(all, JobOf(JobId::Hotspot)));
    EXPECT_FALSE(Chosen(ParseCommandLine({L"/quiet", L"/wifi"}), JobOf(JobId::Bluetooth)));
}

// The usage names every job the build offers, by its switch, and no other.
TEST(CommandLine, UsageFollowsTheJobTable) {
    CSettingsOverride settings;
    Offered(JobId::Hotspot) = false;
    Offered(JobId::Receiver) = true;
    const std::wstring usage = UsageText();
    EXPECT_NE(usage.find(L"[/quiet | /passive] [/wifi] [/bluetooth] [/receiver] [/source"), std::wstring::npos) << usage;
    EXPECT_EQ(usage.find(L"/hotspot"), std::wstring::npos) << usage;
    EXPECT_NE(usage.find(L"the Wi-Fi driver, then the Bluetooth driver, then the receiver application"),
              std::wstring::npos) << usage;
}
