#pragma once
// The window's jobs without a window, for unattended installs: what the
// window would show is logged, what each job came to gives the run's exit code.
#include <functional>
#include <string>

#include "install/job_system.h"
#include "install/job_window.h"
#include "quiet/command_line.h"
#include "quiet/exit_code.h"
#include "sys/number_format.h"

using LogFn = std::function<void(const std::wstring&)>;

// Keeps what a job came to; what a window would show is logged, or shown by
// the window given (the passive one, which asks nothing).
class CQuietJobWindow : public IJobWindow {
public:
    CQuietJobWindow(WordsFn words, bool bluetoothOffered, LogFn log, IJobWindow* passiveWindow = nullptr)
        : m_words(std::move(words)), m_bluetoothOffered(bluetoothOffered), m_log(std::move(log)), m_passiveWindow(passiveWindow) {}
    // The log hears each new phase, and a transfer at every quarter.
    void Report(const JobProgress& progress) override;
    void Tell(const Job& job, const JobOutcome& outcome) override;
    bool ShowsProgress() const override { return false; }
    const JobOutcome& Outcome() const { return m_outcome; }

private:
    WordsFn m_words;
    const NumberFacts m_figures;  // the log's figures are the same on every PC
    bool m_bluetoothOffered;
    LogFn m_log;
    IJobWindow* m_passiveWindow;
    JobOutcome m_outcome;
    JobPhase m_phase = JobPhase::Ended;
    int m_quarter = -1;
};

// Runs the chosen jobs (none chosen: all offered) one after another, in the
// window's order and by its rules (what this Windows is offered), and gives
// the run's exit code. system: one that waits for the installers it starts;
// passiveWindow: the window that shows them (/passive), or none.
ExitCode RunQuiet(const RunChoices& choices, IJobSystem& system, const WordsFn& words, const LogFn& log,
                  IJobWindow* passiveWindow = nullptr);
