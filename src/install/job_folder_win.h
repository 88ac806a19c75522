#pragma once
// A job's folder as the workflows see it (install/job_folder.h), over the
// held folder of the work folder (sys/work_folder_win.h).
#include <memory>

#include "install/job_folder.h"
#include "sys/cancel_token.h"
#include "sys/work_folder_win.h"

class CWindowsJobFolder : public IJobFolder {
public:
    CWindowsJobFolder(std::unique_ptr<sys::CJobFolder> folder, const CCancelToken* cancel)
        : m_folder(std::move(folder)), m_cancel(cancel) {}
    const std::wstring& Path() const override { return m_folder->Path(); }
    std::wstring TempPath() const override { return m_folder->TempPath(); }
    sys::Result<std::unique_ptr<IHeldFile>> CopyIn(IReadableFile& source, const std::wstring& name,
                                                   unsigned long long expectedSize,
                                                   const TransferProgressFn& progress) override;
    std::unique_ptr<IHeldFile> Hold(const std::wstring& relative) override;
    std::wstring FindFileRecursive(const std::wstring& sub, const std::wstring& name) override;
    std::string UnpackedRefusal(const std::wstring& sub) override;
    sys::Result<std::unique_ptr<IHeldFile>> KeepInPackageCache(IHeldFile& installer, const std::string& sha256) override;
    void NoteStarted(const StartedProgram& program) override { m_folder->NoteStarted(program); }
    void Remove() override { m_folder->Remove(); }

private:
    std::unique_ptr<sys::CJobFolder> m_folder;
    const CCancelToken* m_cancel;
};
