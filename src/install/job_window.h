#pragma once
// What a job may use of the installer window, and what it needs of the system.
// The window and a Windows system object implement these; tests use fakes.
#include <functional>
#include <string>

#include "i18n/catalogue.h"
#include "sys/os_version.h"

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
    // Starts program with arguments in a console of its own and waits for it.
    virtual ProcessOutcome RunAndWait(const std::wstring& program, const std::wstring& arguments) = 0;

    virtual OsVersionClass QueryOsClass() = 0;
    // The whole answer body, whatever the HTTP status; false when no answer came.
    virtual bool HttpGetJson(const std::string& url, std::string& body) = 0;
    // Stores the file at path only when it arrived whole; reports percentages.
    virtual bool DownloadFile(const std::string& url, const std::wstring& path,
                              const std::function<void(int)>& progress) = 0;
    virtual std::wstring WorkFolder(const std::wstring& sub) = 0;
    virtual std::wstring FindFile(const std::wstring& pattern, const std::wstring& name, bool descend) = 0;
    virtual bool FileExists(const std::wstring& path) = 0;
    // Starts a file through the shell with elevation; not waited for.
    virtual void StartElevated(const std::wstring& path) = 0;
    virtual std::wstring ToWide(const std::string& ansi) = 0;
    virtual void Trace(const std::string& text) = 0;
    virtual void Trace(const std::wstring& text) = 0;
};
