#pragma once
// What a job may use of the installer window, and what it needs of the system.
// The window and a Windows system object implement these; tests use fakes.
#include <string>

#include "i18n/catalogue.h"

enum class ProgressBar { Bluetooth, Hotspot, Receiver };

class IJobWindow {
public:
    virtual ~IJobWindow() = default;
    virtual void ShowStatusText(const std::wstring& text) = 0;
    virtual void ShowNoInternetHint() = 0;  // returns when the user has closed it
    virtual void ShowProgress(ProgressBar bar, bool show) = 0;
    virtual void SetProgress(ProgressBar bar, int percent) = 0;
    virtual std::wstring Word(TranslationKey key) = 0;
    virtual bool BluetoothShown() const = 0;
};

struct ProcessOutcome {
    bool started = false;
    bool exitCodeRead = false;
    unsigned long exitCode = 0;
};

class IJobSystem {
public:
    virtual ~IJobSystem() = default;
    virtual void Sleep(unsigned milliseconds) = 0;
    // The path of a file delivered in the program's folder.
    virtual std::wstring AppPath(const std::wstring& relative) = 0;
    // Starts program (no arguments) in a console of its own and waits for it.
    virtual ProcessOutcome RunAndWait(const std::wstring& program) = 0;
};
