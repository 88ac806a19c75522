#include "quiet/detect_run.h"

#include "install/device_state.h"

ExitCode RunDetect(const RunChoices& choices, IJobSystem& system, const LogFn& log, const LogFn& out) {
    const WindowsVersion windows = system.QueryWindows();
    std::vector<JobLook> looks;
    std::wstring drivers;
    for (const Job& job : kJobs) {
        if (!Chosen(choices, job) || !OfferedOn(job, windows)) continue;
        const DeviceLook look = system.LookAtDevice(DeviceIdsOf(job));
        log(std::wstring(L"the ") + job.name + L"'s device: " + DescribeLook(look));
        looks.push_back({&job, look});
        if (look.state == DeviceState::Installed)
            drivers += (drivers.empty() ? L"" : L", ") + std::wstring(job.name) + L" " + look.version;
    }
    const ExitCode code = DetectExitCode(looks);
    log(code == kExitDone ? L"detected: installed" : L"detected: not installed");
    if (code == kExitDone) out(L"Installed: " + drivers);
    return code;
}
