#pragma once
// Folders and files reached once by path and from then on only through
// handles: what was checked cannot be swapped for something else meanwhile,
// entries are opened relative to their folder's handle, and no link is ever
// followed.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "sys/handle_win.h"

namespace sys {

struct DirEntry {
    std::wstring name;
    DWORD attributes = 0;
};

// Identifies a file or folder on its volume, whatever it is called.
struct FileId {
    DWORD volume = 0, high = 0, low = 0;
    bool operator==(const FileId& o) const { return volume == o.volume && high == o.high && low == o.low; }
};
FileId IdOf(HANDLE handle);

// A folder held open: while the object lives nobody can rename, replace or
// delete it, since its handle does not share deletion. Several holders may
// hold one folder at the same time.
class CHeldFolder {
public:
    CHeldFolder() = default;
    // An existing folder that is no link; invalid otherwise. The handle may
    // also read the folder's security.
    static CHeldFolder Open(const std::wstring& path);
    // Takes over a handle already opened on a plain folder; invalid otherwise.
    static CHeldFolder Adopt(CFileHandle handle, std::wstring path);

    bool Valid() const { return m_handle.Valid(); }
    HANDLE Get() const { return m_handle.Get(); }
    // For messages and for starting programs in it; never opened again by us.
    const std::wstring& Path() const { return m_path; }
    std::wstring PathOf(const std::wstring& name) const { return m_path + L"\\" + name; }

    // Its entries, "." and ".." left out.
    std::vector<DirEntry> List() const;
    // A folder in it that is no link; invalid otherwise.
    CHeldFolder OpenFolder(const std::wstring& name) const;
    // A new folder in it with the given security (SDDL); invalid when the name exists.
    CHeldFolder CreateFolder(const std::wstring& name, const wchar_t* sddl) const;
    // A plain file in it (no folder, no link), opened as asked; invalid otherwise.
    CFileHandle OpenFile(const std::wstring& name, ACCESS_MASK access, ULONG share) const;
    // A new file in it; invalid when the name exists.
    CFileHandle CreateFile(const std::wstring& name, ACCESS_MASK access, ULONG share) const;
    // Deletes the entry: a file, a link as itself, a folder with everything
    // in it. With expected, only when it still is that file or folder. False
    // when anything stayed (in use, held by someone).
    bool RemoveEntry(const std::wstring& name, const FileId* expected = nullptr) const;
    // Deletes everything in it; false when anything stayed.
    bool RemoveContents() const;

    void Close() { m_handle.Reset(); }

private:
    CHeldFolder(CFileHandle handle, std::wstring path) : m_handle(std::move(handle)), m_path(std::move(path)) {}
    CFileHandle m_handle;
    std::wstring m_path;
};

// Removes a file, a link as itself, or a folder with everything in it: the
// path is opened once, without following a link, and the rest is done
// through handles. False when anything stayed.
bool RemovePath(const std::wstring& path);

// The entry called name (ignoring case) in folder or, with descend, in one
// of its immediate subfolders: the shallowest wins, then the first subfolder
// in name order. Without descend a folder may match too. Its path below
// folder, parts joined with '\\'; empty when there is none.
std::wstring FindShallowest(const CHeldFolder& folder, const std::wstring& name, bool descend);

// Creates a new file in a folder through handles only, with the content of
// source, read through a handle that lets nobody write or delete it
// meanwhile. False when source cannot be read or the copy not made.
// progress, when given, hears each new percentage copied.
bool CopyInto(const CHeldFolder& folder, const std::wstring& name, const std::wstring& source,
              const std::function<void(int)>& progress = nullptr);

}  // namespace sys
