#include <gtest/gtest.h>

#include "fake_job.h"
#include "install/device_state.h"
#include "quiet/detect_run.h"

namespace {
const std::vector<std::wstring> kWifiIds = {L"USB\\VID_F7A3&PID_7300&MI_00"};

DeviceFacts Device(std::vector<std::wstring> ids, bool driver, unsigned long problem = 0) {
    DeviceFacts facts;
    facts.hardwareIds = std::move(ids);
    facts.hasDriver = driver;
    facts.driverVersion = driver ? L"1.2.3.4" : L"";
    facts.problem = problem;
    return facts;
}
}  // namespace

// The adapter's function by its hardware IDs, as Windows matches them.
TEST(DeviceState, WhatSetupApiListsSaysWhereTheDriverIs) {
    const std::vector<std::wstring> function = {L"USB\\VID_F7A3&PID_7300&REV_0100&MI_00", L"USB\\VID_F7A3&PID_7300&MI_00"};
    const std::vector<std::wstring> other = {L"USB\\VID_F7A3&PID_7300&MI_01"};
    const struct { const char* name; std::vector<std::wstring> ids; std::vector<DeviceFacts> present; DeviceState state;
                   unsigned long problem; } rows[] = {
        {"no IDs configured", {}, {Device(function, true)}, DeviceState::NotLooked, 0},
        {"nothing present", kWifiIds, {}, DeviceState::NotPluggedIn, 0},
        {"only the other function", kWifiIds, {Device(other, true)}, DeviceState::NotPluggedIn, 0},
        {"installed", kWifiIds, {Device(other, false), Device(function, true)}, DeviceState::Installed, 0},
        {"in other letters", {L"usb\\vid_f7a3&pid_7300&mi_00"}, {Device(function, true)}, DeviceState::Installed, 0},
        {"no driver", kWifiIds, {Device(function, false, 28)}, DeviceState::NoDriver, 28},
        {"a problem code", kWifiIds, {Device(function, true, 43)}, DeviceState::Problem, 43},
        {"two adapters, one without", kWifiIds, {Device(function, true), Device(function, false)}, DeviceState::NoDriver, 0},
        {"two adapters, one with a problem", kWifiIds, {Device(function, true, 10), Device(function, true)},
         DeviceState::Problem, 10},
        {"a prefix is no match", {L"USB\\VID_F7A3&PID_7300"}, {Device(function, true)}, DeviceState::NotPluggedIn, 0},
    };
    for (const auto& row : rows) {
        const DeviceLook look = LookFrom(row.ids, row.present);
        EXPECT_EQ(look.state, row.state) << row.name;
        EXPECT_EQ(look.problem, row.problem) << row.name;
    }
    EXPECT_EQ(LookFrom(kWifiIds, {Device(function, true)}).version, L"1.2.3.4");
}

// What the window's line and /detect make of the jobs' devices.
TEST(DeviceState, TheWindowsLineAndDetectsExitCode) {
    const Job& wifi = JobOf(JobId::Wifi);
    const Job& bt = JobOf(JobId::Bluetooth);
    const DeviceLook installed(DeviceState::Installed, L"1.0"), missing(DeviceState::NotPluggedIn),
        bare(DeviceState::NoDriver), broken(DeviceState::Problem, L"1.0", {}, {}, 43), none;
    const WordsFn words = [](TranslationKey key) {
        return key == kDeviceNotPlugged ? std::wstring(L"plug") : std::wstring(kTranslationKeys[key]) + L"={version}";
    };
    const struct { const char* name; std::vector<JobLook> looks; const wchar_t* line; ExitCode code; } rows[] = {
        {"both installed", {{&wifi, installed}, {&bt, installed}}, L"DEVICE_WIFI_READY=1.0\nDEVICE_BT_READY=1.0", kExitDone},
        {"not plugged in", {{&wifi, missing}, {&bt, missing}}, L"plug", kExitAdapterMissing},
        {"one without a driver", {{&wifi, installed}, {&bt, bare}}, L"DEVICE_WIFI_READY=1.0", kExitDriverNotInstalled},
        {"a problem", {{&wifi, broken}, {&bt, installed}}, L"DEVICE_BT_READY=1.0", kExitDriverNotInUse},
        {"not known", {{&wifi, DeviceLook(DeviceState::Unknown)}}, L"", kExitDriverNotInstalled},
        {"no job looks", {{&wifi, none}, {&bt, none}}, L"", kExitDriverNotInstalled},  // proves nothing
        {"one looks", {{&wifi, none}, {&bt, installed}}, L"DEVICE_BT_READY=1.0", kExitDone},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(WideToUtf8(DeviceLine(row.looks, words)), WideToUtf8(row.line)) << row.name;
        EXPECT_EQ(DetectExitCode(row.looks), row.code) << row.name;
    }
    // /detect says so on the standard output only when it is so, and asks no service.
    CVendorSettings settings;
    g_settings.deviceIds[JobIndex(JobId::Wifi)] = kWifiIds;
    g_settings.deviceIds[JobIndex(JobId::Bluetooth)].clear();
    for (const DeviceLook& look : {installed, bare}) {
        CFakeJobSystem system;
        system.device = look;
        std::vector<std::wstring> out, log;
        const ExitCode code = RunDetect(ParseCommandLine({L"/detect"}), system,
                                        [&](const std::wstring& l) { log.push_back(l); },
                                        [&](const std::wstring& l) { out.push_back(l); });
        EXPECT_EQ(code, look.state == DeviceState::Installed ? kExitDone : kExitDriverNotInstalled);
        EXPECT_EQ(out, look.state == DeviceState::Installed ? std::vector<std::wstring>{L"Installed: Wi-Fi driver 1.0"}
                                                            : std::vector<std::wstring>{});
        EXPECT_TRUE(system.requests.empty() && system.started.empty());
    }
}
