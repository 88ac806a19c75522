#include "quiet/quiet_run.h"

#include "install/device_state.h"
#include "install/job_runner.h"
#include "install/progress_text.h"
#include "install/telling.h"
#include "sys/utf8.h"

void CQuietJobWindow::Report(const JobProgress& progress) {
    if (m_passiveWindow) m_passiveWindow->Report(progress);
    const int percent = progress.transfer.Percent();
    const int quarter = percent < 0 ? -1 : percent / 25;
    if (progress.phase == m_phase && quarter == m_quarter) return;
    m_phase = progress.phase;
    m_quarter = quarter;
    const std::wstring text = ProgressText(progress, m_words, m_figures);
    m_log(L"progress: " + Utf8ToWide(PhaseName(progress.phase)) + (text.empty() ? L"" : L": " + text));
}

void CQuietJobWindow::Tell(const Job& job, const JobOutcome& outcome) {
    m_outcome = outcome;
    if (m_passiveWindow) return m_passiveWindow->Tell(job, outcome);
    const Telling telling = TellingOf(job, outcome, m_bluetoothOffered);
    if (telling.message) m_log(L"message: " + m_words(kHintNoInternet));
    if (!telling.status.empty()) m_log(L"status text: " + StatusText(telling, m_words));
}

ExitCode RunQuiet(const RunChoices& choices, IJobSystem& system, const WordsFn& words, const LogFn& log,
                  IJobWindow* passiveWindow) {
    const WindowsVersion windows = system.QueryWindows();
    std::vector<ExitCode> codes;
    for (const Job& job : kJobs) {
        if (!Chosen(choices, job)) continue;
        const std::wstring what = std::wstring(L"the ") + job.name;
        if (!OfferedOn(job, windows)) {
            log(L"skipped " + what + L": it needs " + WindowsName(*job.minimumWindows) + L" or later");
            continue;
        }
        log(L"installing " + what);
        const auto logDevice = [&](const wchar_t* when) {
            if (!DeviceIdsOf(job).empty())
                log(std::wstring(L"the device ") + when + L": " + DescribeLook(system.LookAtDevice(DeviceIdsOf(job))));
        };
        logDevice(L"before");
        CQuietJobWindow window(words, OfferedOn(JobOf(JobId::Bluetooth), windows), log, passiveWindow);
        RunJob(job, window, system);
        logDevice(L"after");
        codes.push_back(ExitCodeOf(window.Outcome()));
        log(what + L" job ended: " + Utf8ToWide(Describe(window.Outcome())) + L"; code " +
            std::to_wstring(codes.back()));
        if (window.Outcome().kind == Outcome::RestartStarted) {
            log(L"Windows is restarting: no further job is started");
            break;
        }
        if (system.Cancelled()) {
            log(L"cancelled: no further job is started");
            codes.push_back(kExitCancelled);
            break;
        }
    }
    return CombineExitCodes(codes);
}
