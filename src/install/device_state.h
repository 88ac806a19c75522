#pragma once
// What the adapter's function a job installs for looks like on this PC:
// not plugged in, plugged in without a driver, its driver installed (which
// one), or installed with a problem. Decided here from what SetupAPI lists
// (install/device_query_win.h); what follows from it for an install, for
// the window and for /detect too. Portable.
#include <string>
#include <vector>

#include "i18n/translation_keys.h"
#include "install/job_outcome.h"
#include "install/jobs.h"
#include "sys/number_format.h"

// One present device, as SetupAPI gives it.
struct DeviceFacts {
    std::vector<std::wstring> hardwareIds;
    bool hasDriver = false;        // its driver key could be opened
    std::wstring driverVersion, driverDate, provider;
    unsigned long problem = 0;     // CM_PROB_*; 0: none
};

enum class DeviceState {
    NotLooked,     // the job names no device
    Unknown,       // SetupAPI did not answer in time, or failed
    NotPluggedIn,
    NoDriver,
    Problem,       // a driver, and a problem code
    Installed,
};

struct DeviceLook {
    DeviceLook() = default;
    explicit DeviceLook(DeviceState s, std::wstring v = {}, std::wstring p = {}, std::wstring d = {},
                        unsigned long code = 0)
        : state(s), version(std::move(v)), provider(std::move(p)), date(std::move(d)), problem(code) {}
    DeviceState state = DeviceState::NotLooked;
    std::wstring version, provider, date;
    unsigned long problem = 0;
};

// Whether one of the device's hardware IDs is one of ids (Windows compares them without regard to case).
bool MatchesAny(const std::vector<std::wstring>& ids, const std::vector<std::wstring>& hardwareIds);

// The state of the devices with one of ids among those present: with
// several, the one that needs the most (no driver, then a problem, then installed).
DeviceLook LookFrom(const std::vector<std::wstring>& ids, const std::vector<DeviceFacts>& present);

// The job's IDs, from the settings.
const std::vector<std::wstring>& DeviceIdsOf(const Job& job);

// For the log: "driver 1.2.0.0 by Tarnwell installed", "not plugged in", "problem 28".
std::wstring DescribeLook(const DeviceLook& look);

// What a setup that ended well (restartAsked: with 3010) came to once its
// device was looked at again: the driver there is what it said; else what
// the user must do.
JobOutcome OutcomeAfterSetup(const JobOutcome& setup, const DeviceLook& look);

// The window's line about the adapter: the plug-in request when it is not
// plugged in, else per job its installed driver, a line each; empty when there is nothing to say.
struct JobLook {
    const Job* job;
    DeviceLook look;
};
std::wstring DeviceLine(const std::vector<JobLook>& looks, const WordsFn& words);

// /detect: done (0) only when every job looked at has its driver without a
// problem; else the code of what the first one lacks. None looked at proves nothing.
ExitCode DetectExitCode(const std::vector<JobLook>& looks);
