#include "quiet/quiet_run.h"

#include "install/job_runner.h"
#include "install/telling.h"
#include "sys/utf8.h"

void CQuietJobWindow::Tell(const Feature& feature, const JobOutcome& outcome) {
    m_outcome = outcome;
    const Telling telling = TellingOf(feature, outcome, m_bluetoothShown);
    if (telling.message) m_log(L"message: " + m_words(kHintNoInternet));
    if (!telling.status.empty()) m_log(L"status text: " + StatusText(telling, m_words));
}

ExitCode RunQuiet(const CommandLine& line, IJobSystem& system, const WordsFn& words, const LogFn& log) {
    const WindowsVersion windows = system.QueryWindows();
    std::vector<ExitCode> codes;
    for (const Feature& feature : kFeatures) {
        if (!Chosen(line, feature)) continue;
        const std::wstring job = std::wstring(L"the ") + feature.name;
        if (!OfferedOn(feature, windows)) {
            log(L"skipped " + job + L": it needs " + WindowsName(feature.minimumWindows) + L" or later");
            continue;
        }
        log(L"installing " + job);
        CQuietJobWindow window(words, OfferedOn(FeatureOf(Job::Bluetooth), windows), log);
        RunJob(feature, window, system);
        codes.push_back(ExitCodeOf(window.Outcome()));
        log(job + L" job ended: " + Utf8ToWide(Describe(window.Outcome())) + L"; code " +
            std::to_wstring(codes.back()));
    }
    return CombineExitCodes(codes);
}
