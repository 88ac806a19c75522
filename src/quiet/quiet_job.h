#pragma once
// The window's workflows without a window, for unattended installs: what a
// workflow would show is logged, what it showed decides the job's exit code,
// and what it starts elevated is waited for.
#include <functional>
#include <optional>

#include "install/job_window.h"
#include "quiet/command_line.h"
#include "quiet/exit_code.h"

using LogFn = std::function<void(const std::wstring&)>;
using WordsFn = std::function<std::wstring(TranslationKey)>;

class CQuietJobWindow : public IJobWindow {
public:
    CQuietJobWindow(WordsFn words, bool bluetoothShown, LogFn log)
        : m_words(std::move(words)), m_bluetoothShown(bluetoothShown), m_log(std::move(log)) {}
    void ShowStatusText(const std::wstring& text) override;
    void ShowNoInternetHint() override;
    void ShowProgress(ProgressBar, bool) override {}
    void SetProgress(ProgressBar, int) override {}
    std::wstring Word(TranslationKey key) override { return m_words(key); }
    bool BluetoothShown() const override { return m_bluetoothShown; }
    // The text the workflow showed last, by its key.
    const std::optional<TranslationKey>& Shown() const { return m_shown; }

private:
    WordsFn m_words;
    bool m_bluetoothShown;
    LogFn m_log;
    std::optional<TranslationKey> m_shown;
};

// The real system, except that an elevated start waits for the program.
class CQuietJobSystem : public IJobSystem {
public:
    explicit CQuietJobSystem(IJobSystem& system) : m_system(system) {}
    void Sleep(unsigned ms) override { m_system.Sleep(ms); }
    std::wstring AppPath(const std::wstring& relative) override { return m_system.AppPath(relative); }
    ProcessOutcome RunAndWait(const std::wstring& program, const std::wstring& arguments,
                              unsigned long timeoutMs) override {
        return m_lastRun = m_system.RunAndWait(program, arguments, timeoutMs);
    }
    OsVersionClass QueryOsClass() override { return m_system.QueryOsClass(); }
    NetResult HttpGetJson(const std::string& url, std::string& body) override { return m_system.HttpGetJson(url, body); }
    NetResult DownloadFile(const std::string& url, const std::wstring& path,
                           const std::function<void(int)>& progress) override {
        return m_system.DownloadFile(url, path, progress);
    }
    std::wstring CreateJobFolder() override { return m_system.CreateJobFolder(); }
    void RemoveFolder(const std::wstring& folder) override { m_system.RemoveFolder(folder); }
    std::wstring FindFile(const std::wstring& pattern, const std::wstring& name, bool descend) override {
        return m_system.FindFile(pattern, name, descend);
    }
    std::unique_ptr<IHeldFile> HoldFile(const std::wstring& path) override { return m_system.HoldFile(path); }
    bool StartElevated(const IHeldFile& file) override {
        m_elevated = m_system.RunElevatedAndWait(file);
        return m_elevated->started;
    }
    ProcessOutcome RunElevatedAndWait(const IHeldFile& file) override { return m_system.RunElevatedAndWait(file); }
    std::wstring ToWide(const std::string& ansi) override { return m_system.ToWide(ansi); }
    void Trace(const std::string& text) override { m_system.Trace(text); }
    void Trace(const std::wstring& text) override { m_system.Trace(text); }

    const ProcessOutcome& LastRun() const { return m_lastRun; }
    const std::optional<ProcessOutcome>& Elevated() const { return m_elevated; }

private:
    IJobSystem& m_system;
    ProcessOutcome m_lastRun;
    std::optional<ProcessOutcome> m_elevated;
};

// Runs the chosen jobs (none chosen: all offered) one after another, as the
// window's commands would run them, and gives the run's exit code. offered:
// what this build switches on (see RejectUnoffered).
ExitCode RunQuiet(const CommandLine& line, const bool (&offered)[kFeatureCount], IJobSystem& system,
                  const WordsFn& words, const LogFn& log);
