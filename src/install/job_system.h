#pragma once
// What a job needs of the system. A Windows system object implements it;
// native tests use a fake.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "install/device_state.h"
#include "install/held_file.h"
#include "install/job_folder.h"
#include "install/layout_store.h"
#include "install/offline_layout.h"
#include "net/transfer.h"
#include "sys/work_folder.h"
#include "sys/os_version.h"

struct ProcessRun {
    bool started = false;
    bool exitCodeRead = false;  // it ended and its code was read
    unsigned long exitCode = 0;
    bool timedOut = false;      // it ran too long and was ended
    bool running = false;       // not waited for, or no longer: the wait was cancelled
    unsigned long error = 0;    // why it did not start
    StartedProgram program{};   // which process it is
    bool cancelled = false;     // the wait was cancelled (an archiver is ended then, an installer never)

    static ProcessRun Exited(unsigned long code) { return {true, true, code}; }
    static ProcessRun CodeUnread() { return {true, false, 0}; }
    static ProcessRun NotStarted(unsigned long error) { return {false, false, 0, false, false, error}; }
    static ProcessRun TimedOut() { return {true, false, 0, true}; }
    static ProcessRun Running() { return {true, false, 0, false, true}; }
    static ProcessRun Cancelled(bool stillRunning) { return {true, false, 0, false, stillRunning, 0, {}, true}; }
};

class IJobSystem {
public:
    virtual ~IJobSystem() = default;

    // The clock and this Windows. Every wait of the system (this one, a
    // request's, a download's, a copy's, a program's) ends within a moment
    // once the job is cancelled; Cancelled says whether it is.
    virtual void Sleep(unsigned milliseconds) = 0;
    virtual bool Cancelled() = 0;
    virtual WindowsVersion QueryWindows() = 0;

    // The network. HttpGetJson: the whole answer body, whatever the HTTP
    // status; anything but Ok when no answer came. DownloadFile stores the
    // file at path only when it arrived whole; reports percentages.
    virtual NetResult HttpGetJson(const std::string& url, std::string& body) = 0;
    virtual NetResult DownloadFile(const std::string& url, const std::wstring& path,
                                   const TransferProgressFn& progress) = 0;

    // Files and folders. A file delivered in the program's folder
    // ("data\\7za.exe"), opened to be copied: a plain file with one name;
    // else the system's error.
    virtual sys::Result<std::unique_ptr<IReadableFile>> OpenDelivered(const std::wstring& relative) = 0;
    // Null when no folder could be made.
    virtual std::unique_ptr<IJobFolder> CreateJobFolder() = 0;
    // The offline layout beside the program (or in the settings'
    // packageSource); null when there is none.
    virtual std::unique_ptr<IOfflineLayout> OpenOfflineLayout() = 0;
    // The layout /layout fills in folder, made when it is not there; else the
    // system's error (ERROR_CANT_ACCESS_FILE: a link where it writes).
    virtual sys::Result<std::unique_ptr<ILayoutStore>> OpenLayoutStore(const std::wstring& folder) = 0;

    // Processes, each with TEMP and TMP set to temp (a job folder's own).
    // RunAndWait starts a held program with arguments in its own folder (its
    // DLL folder too) and waits for it; after timeoutMs (0: no limit), or on
    // a cancel, it is ended. A console program gets a console window of its
    // own only with console (and never when nobody may see a window).
    virtual ProcessRun RunAndWait(const IHeldFile& program, const std::wstring& arguments,
                                      unsigned long timeoutMs, bool console, const std::wstring& temp) = 0;
    // Starts a held installer (an .exe itself, an .msi through the system's
    // msiexec, nothing else) with arguments in its own folder: the window
    // does not wait for it, quiet mode does, up to the settings' installer
    // time limit; a cancel ends the wait, never the installer.
    // whenEnded: told, on a thread of its own, how the devices with one of
    // ids look once an installer not waited for has ended with all it
    // started; with a wait (or no ids), never.
    virtual ProcessRun StartInstaller(const IHeldFile& installer, const std::wstring& arguments,
                                      const std::wstring& temp, const std::vector<std::wstring>& ids = {},
                                      std::function<void(const DeviceLook&)> whenEnded = {}) = 0;

    // The adapter: the present devices with one of ids, looked at within the
    // settings' deviceQueryMs (Unknown past it); NotLooked with none.
    virtual DeviceLook LookAtDevice(const std::vector<std::wstring>& ids) = 0;
};
