#pragma once
// The machine-wide work folder and the jobs' folders in it, held open while
// they are used: only administrators can change them, and nobody can rename
// or replace them meanwhile.
#include <memory>
#include <string>

#include "sys/held_folder_win.h"
#include "sys/work_folder.h"

namespace sys {

// The work folder ("MRL7300" under the common application-data folder),
// checked and held: owned by Administrators or SYSTEM and changeable by
// nobody else. One that is not is moved aside, never followed, and made
// anew; when it cannot be moved aside (someone holds it open), the run has a
// new folder of its own beside it. Invalid when no such folder can be had.
CHeldFolder GetWorkFolder();

// A new folder of one job's own in the work folder, held, with the work
// folder, until the object goes. The first of a process removes what earlier
// runs left that no running program needs.
class CJobFolder {
public:
    // Null when no folder could be made.
    static std::unique_ptr<CJobFolder> Create();
    const CHeldFolder& Folder() const { return m_job; }
    const CHeldFolder& WorkFolder() const { return m_work; }
    const std::wstring& Path() const { return m_job.Path(); }
    // TEMP and TMP for what is started from it.
    std::wstring TempPath() const { return m_job.PathOf(kTempFolderName); }
    // Later runs keep the folder while this program runs.
    void NoteStarted(const StartedProgram& program);
    // Removes the folder, everything in it and its note, through handles.
    void Remove();

private:
    CJobFolder(CHeldFolder work, CHeldFolder job, std::wstring name);
    CHeldFolder m_work, m_job;
    std::wstring m_name;
    FileId m_id;
};

// Everything in the held work folder that no running program needs: the
// packages and temporary files of earlier runs, and what others put there.
void CleanWorkFolder(const CHeldFolder& work);

// What earlier runs left beside the work folder: folders moved aside (never
// ours: made by whoever others could change them for) and the folders of
// runs that could not have the work folder, once nothing started from them
// runs. own: the work folder this run uses, which stays.
void RemoveOldWorkFolders(const CHeldFolder& own);

// Whether the program started so still runs.
bool IsRunning(const StartedProgram& program);

}  // namespace sys
