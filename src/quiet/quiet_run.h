#pragma once
// The window's jobs without a window, for unattended installs: what the
// window would show is logged, what each job came to gives the run's exit code.
#include <functional>
#include <string>

#include "install/job_system.h"
#include "install/job_window.h"
#include "quiet/command_line.h"
#include "quiet/exit_code.h"

using LogFn = std::function<void(const std::wstring&)>;
using WordsFn = std::function<std::wstring(TranslationKey)>;

class CQuietJobWindow : public IJobWindow {
public:
    CQuietJobWindow(WordsFn words, bool bluetoothShown, LogFn log)
        : m_words(std::move(words)), m_bluetoothShown(bluetoothShown), m_log(std::move(log)) {}
    void ShowProgress(JobId, bool) override {}
    void SetProgress(JobId, int) override {}
    void Tell(const Job& job, const JobOutcome& outcome) override;
    const JobOutcome& Outcome() const { return m_outcome; }

private:
    WordsFn m_words;
    bool m_bluetoothShown;
    LogFn m_log;
    JobOutcome m_outcome;
};

// Runs the chosen jobs (none chosen: all offered) one after another, in the
// window's order and by its rules (what this Windows is offered), and gives
// the run's exit code. system: one that waits for the installers it starts.
ExitCode RunQuiet(const CommandLine& line, IJobSystem& system, const WordsFn& words, const LogFn& log);
