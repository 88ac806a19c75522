#pragma once
// What a job may use of the installer window, and what it needs of the system.
// The window and a Windows system object implement these; tests use fakes.
#include <functional>
#include <memory>
#include <string>

#include "install/features.h"
#include "install/job_outcome.h"
#include "net/transfer.h"
#include "sys/job_folder.h"
#include "sys/os_version.h"

class IJobWindow {
public:
    virtual ~IJobWindow() = default;
    virtual void ShowProgress(Job job, bool show) = 0;
    // 0 to 100; -1: the size is not known, the bar shows that it is busy.
    // A bar shown again starts at 0.
    virtual void SetProgress(Job job, int percent) = 0;
    // Tells what the job came to; returns when the user may go on (the
    // message closed), while the job still holds its busy flag.
    virtual void Tell(const Feature& feature, const JobOutcome& outcome) = 0;
};

struct ProcessOutcome {
    bool started = false;
    bool exitCodeRead = false;  // it ended and its code was read
    unsigned long exitCode = 0;
    bool timedOut = false;      // it ran too long and was ended
    bool running = false;       // not waited for
    unsigned long error = 0;    // why it did not start
    StartedProgram program{};   // which process it is
};

// A file held open so that nobody can write, rename or delete it until the
// object goes: what was checked is what gets started.
class IHeldFile {
public:
    virtual ~IHeldFile() = default;
    virtual const std::wstring& Path() const = 0;
    virtual unsigned long long Size() = 0;
    // Lower-case hex; empty when it cannot be read.
    virtual std::string Sha256() = 0;
    // False, with the reason, unless the file's SHA-256 is expectedHex.
    virtual bool HasSha256(const std::string& expectedHex, std::string& reason) = 0;
    // False, with the reason, unless the file carries a valid Authenticode
    // signature, not revoked, whose signer certificate has exactly this common name.
    virtual bool SignedBy(const std::wstring& signer, std::string& reason) = 0;
};

// A new folder of the job's own that only administrators can change, held
// (with the work folder) while the object lives.
class IJobFolder {
public:
    virtual ~IJobFolder() = default;
    virtual const std::wstring& Path() const = 0;
    // A copy under name of a file outside (delivered beside the program, or in
    // an offline layout), read through a handle that lets nobody change it
    // meanwhile; held. Null when it is not there or could not be copied.
    // progress, when given, hears the percentage copied.
    virtual std::unique_ptr<IHeldFile> CopyIn(const std::wstring& source, const std::wstring& name,
                                              const std::function<void(int)>& progress = nullptr) = 0;
    // A plain file below the folder ("package\\Driver\\Setup.exe"), held; null when there is none.
    virtual std::unique_ptr<IHeldFile> Hold(const std::wstring& relative) = 0;
    // Where in sub (or one folder down) the file called name is: the
    // shallowest, then the first folder in name order; its path below the
    // job folder, empty when there is none.
    virtual std::wstring FindShallowest(const std::wstring& sub, const std::wstring& name) = 0;
    // Why what was unpacked into sub may not be used; empty when it may.
    virtual std::string UnpackedRefusal(const std::wstring& sub) = 0;
    // Later runs keep the folder while the started program runs.
    virtual void NoteStarted(const ProcessOutcome& started) = 0;
    virtual void Remove() = 0;
};

// The offline layout a /layout run fills: its packages folder and list, and
// the program beside them.
class ILayoutStore {
public:
    virtual ~ILayoutStore() = default;
    virtual std::string ReadList() = 0;                 // packages\manifest.json; empty when none
    virtual bool WriteList(const std::string& json) = 0;
    // Whether packages\name is there with this size and SHA-256.
    virtual bool Holds(const std::wstring& name, unsigned long long size, const std::string& sha256) = 0;
    // Stores a copy of the proven, held file as packages\name.
    virtual bool Store(const IHeldFile& file, const std::wstring& name) = 0;
    // Installer.exe and its data folder beside packages\: a complete offline installer.
    virtual bool CopyProgram() = 0;
};

class IJobSystem {
public:
    virtual ~IJobSystem() = default;
    virtual void Sleep(unsigned milliseconds) = 0;
    // The path of a file delivered in the program's folder.
    virtual std::wstring AppPath(const std::wstring& relative) = 0;
    virtual WindowsVersion QueryWindows() = 0;
    // The whole answer body, whatever the HTTP status; anything but Ok when no answer came.
    virtual NetResult HttpGetJson(const std::string& url, std::string& body) = 0;
    // Stores the file at path only when it arrived whole; reports percentages.
    virtual NetResult DownloadFile(const std::string& url, const std::wstring& path,
                                   const std::function<void(int)>& progress) = 0;
    // Null when no folder could be made.
    virtual std::unique_ptr<IJobFolder> CreateJobFolder() = 0;
    // The offline layout's list beside the program (or in the settings'
    // packageSource): packages\manifest.json; empty when there is none.
    virtual std::string ReadPackageList() = 0;
    // Where the layout keeps the package file called name.
    virtual std::wstring LayoutFile(const std::wstring& name) = 0;
    // The layout in folder, made when it is not there; null when it cannot be.
    virtual std::unique_ptr<ILayoutStore> OpenLayoutStore(const std::wstring& folder) = 0;
    // Starts a held program with arguments in its own folder (its DLL folder
    // too) and waits for it; after timeoutMs (0: no limit) it is ended. A
    // console program gets a console window of its own only with console
    // (and never when nobody may see a window).
    virtual ProcessOutcome RunAndWait(const IHeldFile& program, const std::wstring& arguments,
                                      unsigned long timeoutMs, bool console) = 0;
    // Starts a held installer (an .exe itself, an .msi through the system's
    // msiexec) with arguments in its own folder: the window does not wait for
    // it, quiet mode does, up to the settings' installer time limit.
    virtual ProcessOutcome StartInstaller(const IHeldFile& installer, const std::wstring& arguments) = 0;
};
