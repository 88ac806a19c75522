#include "install/device_state.h"

#include "install/progress_text.h"
#include "sys/settings.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

namespace {

// How much a state needs of the user: the most wins among several adapters.
int Need(DeviceState state) {
    switch (state) {
    case DeviceState::NoDriver: return 3;
    case DeviceState::Problem: return 2;
    case DeviceState::Installed: return 1;
    default: return 0;
    }
}

DeviceLook LookAt(const DeviceFacts& device) {
    if (!device.hasDriver) return DeviceLook(DeviceState::NoDriver, {}, {}, {}, device.problem);
    const DeviceState state = device.problem ? DeviceState::Problem : DeviceState::Installed;
    return DeviceLook(state, device.driverVersion, device.provider, device.driverDate, device.problem);
}

}  // namespace

bool MatchesAny(const std::vector<std::wstring>& ids, const std::vector<std::wstring>& hardwareIds) {
    for (const std::wstring& id : hardwareIds)
        for (const std::wstring& wanted : ids)
            if (Lower(id) == Lower(wanted)) return true;
    return false;
}

DeviceLook LookFrom(const std::vector<std::wstring>& ids, const std::vector<DeviceFacts>& present) {
    if (ids.empty()) return {};
    DeviceLook found(DeviceState::NotPluggedIn);
    for (const DeviceFacts& device : present) {
        if (!MatchesAny(ids, device.hardwareIds)) continue;
        const DeviceLook look = LookAt(device);
        if (Need(look.state) > Need(found.state)) found = look;
    }
    return found;
}

const std::vector<std::wstring>& DeviceIdsOf(const Job& job) { return g_settings.deviceIds[JobIndex(job.id)]; }

std::wstring DescribeLook(const DeviceLook& look) {
    switch (look.state) {
    case DeviceState::NotLooked: return L"no device named";
    case DeviceState::Unknown: return L"not known (SetupAPI did not answer)";
    case DeviceState::NotPluggedIn: return L"not plugged in";
    case DeviceState::NoDriver: return L"plugged in, no driver";
    case DeviceState::Problem:
        return L"driver " + look.version + L" installed, problem code " + std::to_wstring(look.problem);
    case DeviceState::Installed: break;
    }
    return L"driver " + look.version + (look.provider.empty() ? L"" : L" by " + look.provider) +
           (look.date.empty() ? L"" : L" of " + look.date) + L" installed";
}

JobOutcome OutcomeAfterSetup(const JobOutcome& setup, const DeviceLook& look) {
    const bool restartAsked = setup.kind == Outcome::RestartNeeded;
    if (setup.kind != Outcome::Done && !restartAsked) return setup;
    const std::string seen = "the device after the setup: " + WideToUtf8(DescribeLook(look));
    switch (look.state) {
    case DeviceState::NotLooked:
    case DeviceState::Unknown:  // what cannot be seen is no proof against the setup's word
    case DeviceState::Installed: return setup;
    case DeviceState::NotPluggedIn: return Failed(Outcome::AdapterMissing, seen);
    case DeviceState::NoDriver:
    case DeviceState::Problem: break;
    }
    if (restartAsked) return {Outcome::DriverAfterRestart, setup.code, seen};
    return Failed(Outcome::DriverNotInUse, seen, look.problem);
}

std::wstring DeviceLine(const std::vector<JobLook>& looks, const WordsFn& words) {
    std::wstring line;
    for (const JobLook& j : looks)
        if (j.look.state == DeviceState::NotPluggedIn) return words(kDeviceNotPlugged);
    for (const JobLook& j : looks) {
        if (j.look.state != DeviceState::Installed || j.job->deviceReady == kTranslationKeyCount) continue;
        const std::wstring text = FillIn(words(j.job->deviceReady), L"{version}", j.look.version);
        line += (line.empty() ? L"" : L"\n") + text;  // a line each
    }
    return line;
}

ExitCode DetectExitCode(const std::vector<JobLook>& looks) {
    bool any = false;
    for (const JobLook& j : looks) {
        switch (j.look.state) {
        case DeviceState::NotLooked: continue;
        case DeviceState::Installed: any = true; continue;
        case DeviceState::NotPluggedIn: return RowOf(Outcome::AdapterMissing).exitCode;
        case DeviceState::Problem: return RowOf(Outcome::DriverNotInUse).exitCode;
        case DeviceState::NoDriver:
        case DeviceState::Unknown: return RowOf(Outcome::DriverNotInstalled).exitCode;
        }
    }
    return any ? kExitDone : RowOf(Outcome::DriverNotInstalled).exitCode;
}
