#pragma once
// A new folder of the job's own that only administrators can change, held
// (with the work folder) while the object lives.
#include <functional>
#include <memory>
#include <string>

#include "install/held_file.h"
#include "sys/result.h"
#include "sys/work_folder.h"
#include "sys/transfer_progress.h"

// Any size up to the largest package: for a file nobody announced a size of.
constexpr unsigned long long kAnySize = 0;

class IJobFolder {
public:
    virtual ~IJobFolder() = default;
    virtual const std::wstring& Path() const = 0;
    // What is started from it gets this as TEMP and TMP.
    virtual std::wstring TempPath() const = 0;
    // A copy under name of a file from outside (delivered beside the
    // program, or in an offline layout), held. Before a byte is copied its
    // size must be expectedSize (kAnySize: no more than the largest package)
    // and fit the free space. The system's error when it could not be made.
    // progress, when given, hears how far it came. A cancel of the job ends
    // it (ERROR_CANCELLED).
    virtual sys::Result<std::unique_ptr<IHeldFile>> CopyIn(IReadableFile& source, const std::wstring& name,
                                                           unsigned long long expectedSize,
                                                           const TransferProgressFn& progress) = 0;
    // A plain file below the folder ("package\\Driver\\Setup.exe"), held; null when there is none.
    virtual std::unique_ptr<IHeldFile> Hold(const std::wstring& relative) = 0;
    // Where in sub (or one folder down) the file called name is: the
    // shallowest, then the first folder in name order; its path below the
    // job folder, empty when there is none.
    virtual std::wstring FindFileRecursive(const std::wstring& sub, const std::wstring& name) = 0;
    // Why what was unpacked into sub may not be used; empty when it may.
    virtual std::string UnpackedRefusal(const std::wstring& sub) = 0;
    // A lasting copy of an installer that Windows Installer may need again
    // (its source, for a repair or a change), held: in the work folder's
    // package cache, one folder per package hash, which later clean-ups keep
    // for the settings' packageCacheDays after its last use. The system's
    // error when it could not be had.
    virtual sys::Result<std::unique_ptr<IHeldFile>> KeepInPackageCache(IHeldFile& installer,
                                                                       const std::string& sha256) = 0;
    // Later runs keep the folder while the started program runs.
    virtual void NoteStarted(const StartedProgram& program) = 0;
    virtual void Remove() = 0;
};
