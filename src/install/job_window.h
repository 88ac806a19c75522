#pragma once
// What a job may use of the installer window, and what it needs of the system.
// The window and a Windows system object implement these; tests use fakes.
#include <functional>
#include <memory>
#include <string>

#include "i18n/catalogue.h"
#include "net/transfer.h"
#include "sys/os_version.h"

enum class ProgressBar { Bluetooth, Hotspot, Receiver };

class IJobWindow {
public:
    virtual ~IJobWindow() = default;
    virtual void ShowStatusText(const std::wstring& text) = 0;
    virtual void ShowNoInternetHint() = 0;  // returns when the user has closed it
    virtual void ShowProgress(ProgressBar bar, bool show) = 0;
    // 0 to 100; -1: the size is not known, the bar shows that it is busy.
    // A bar shown again starts at 0.
    virtual void SetProgress(ProgressBar bar, int percent) = 0;
    virtual std::wstring Word(TranslationKey key) = 0;
    virtual bool BluetoothShown() const = 0;
};

struct ProcessOutcome {
    bool started = false;
    bool exitCodeRead = false;
    unsigned long exitCode = 0;
    bool timedOut = false;
    bool declined = false;  // the user said no to running it elevated
};

// A file held open so that nobody can write, rename or delete it until the
// object goes: what was checked is what gets started.
class IHeldFile {
public:
    virtual ~IHeldFile() = default;
    virtual const std::wstring& Path() const = 0;
    // False, with the reason, unless the file's SHA-256 is expectedHex.
    virtual bool HasSha256(const std::string& expectedHex, std::string& reason) = 0;
    // False, with the reason, unless the file carries a valid Authenticode
    // signature whose signer certificate has exactly this common name.
    virtual bool SignedBy(const std::wstring& signer, std::string& reason) = 0;
};

class IJobSystem {
public:
    virtual ~IJobSystem() = default;
    virtual void Sleep(unsigned milliseconds) = 0;
    // The path of a file delivered in the program's folder.
    virtual std::wstring AppPath(const std::wstring& relative) = 0;
    // Starts program with arguments in a console of its own, in its own folder,
    // and waits for it; after timeoutMs (0: no limit) it is ended.
    virtual ProcessOutcome RunAndWait(const std::wstring& program, const std::wstring& arguments,
                                      unsigned long timeoutMs) = 0;

    virtual OsVersionClass QueryOsClass() = 0;
    // The whole answer body, whatever the HTTP status; anything but Ok when no answer came.
    virtual NetResult HttpGetJson(const std::string& url, std::string& body) = 0;
    // Stores the file at path only when it arrived whole; reports percentages.
    virtual NetResult DownloadFile(const std::string& url, const std::wstring& path,
                                   const std::function<void(int)>& progress) = 0;
    // A new folder of this job's own in the work folder; empty when none could be made.
    virtual std::wstring CreateJobFolder() = 0;
    virtual void RemoveFolder(const std::wstring& folder) = 0;
    virtual std::wstring FindFile(const std::wstring& pattern, const std::wstring& name, bool descend) = 0;
    // Null when the path names no plain file that can be held.
    virtual std::unique_ptr<IHeldFile> HoldFile(const std::wstring& path) = 0;
    // Starts the file through the shell with elevation, in its own folder; not
    // waited for. False when it did not start (declined, gone, not runnable).
    virtual bool StartElevated(const IHeldFile& file) = 0;
    // The same, and waits for the program to end and reads its exit code.
    virtual ProcessOutcome RunElevatedAndWait(const IHeldFile& file) = 0;
    virtual std::wstring ToWide(const std::string& ansi) = 0;
    virtual void Trace(const std::string& text) = 0;
    virtual void Trace(const std::wstring& text) = 0;
};
