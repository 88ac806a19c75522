#pragma once
// Folders and files reached once by path and from then on only through
// handles: what was checked cannot be swapped for something else meanwhile,
// entries are opened relative to their folder's handle, and no link is ever
// followed.
#include <windows.h>

#include <string>
#include <vector>

#include "sys/handle_win.h"

namespace sys {

struct DirEntry {
    std::wstring name;
    DWORD attributes = 0;
    unsigned long long written = 0;  // last write, FILETIME
    unsigned long long bytes = 0;
    unsigned long reparseTag = 0;  // with FILE_ATTRIBUTE_REPARSE_POINT: what kind (sys/file_rules.h)
};

// Identifies a file or folder on its volume, whatever it is called.
struct FileId {
    DWORD volume = 0, high = 0, low = 0;
    bool operator==(const FileId& o) const { return volume == o.volume && high == o.high && low == o.low; }
};
FileId IdOf(HANDLE handle);

// A handle opened on a reparse point itself (a OneDrive placeholder, which
// is no link), opened again through its filter, which alone gives its
// content; the same handle when it is no reparse point. Invalid when the one
// reached is not the one held.
CFileHandle ThroughFilter(CFileHandle handle, ACCESS_MASK access, ULONG share, DWORD flags);

// How many names (hard links) the file has; 0 when it cannot be read.
DWORD NamesOf(HANDLE handle);

// A folder held open: while the object lives nobody can rename, replace or
// delete it, since its handle does not share deletion. Several holders may
// hold one folder at the same time.
class CHeldFolder {
public:
    CHeldFolder() = default;
    // An existing folder that is no link; invalid otherwise. The handle may
    // also read the folder's security.
    static CHeldFolder Open(const std::wstring& path);
    // An existing folder reached by path as the system resolves it (a link
    // on the way, or the folder itself, is followed), held from then on: for
    // folders the user names, such as the temporary folder or a layout's.
    static CHeldFolder OpenResolved(const std::wstring& path);
    // Takes over a handle already opened on a plain folder; invalid otherwise.
    static CHeldFolder Adopt(CFileHandle handle, std::wstring path);

    bool Valid() const { return m_handle.Valid(); }
    HANDLE Get() const { return m_handle.Get(); }
    // For messages and for starting programs in it; never opened again by us.
    const std::wstring& Path() const { return m_path; }
    std::wstring PathOf(const std::wstring& name) const { return m_path + L"\\" + name; }

    // Its entries, "." and ".." left out; nothing when they cannot be read.
    std::vector<DirEntry> List() const;
    // The same, false with the system's error when the listing broke off.
    bool List(std::vector<DirEntry>& entries) const;
    // A folder in it that is no link (as its handle and its entry in this
    // folder say); invalid otherwise, with ERROR_CANT_ACCESS_FILE for a link.
    CHeldFolder OpenFolder(const std::wstring& name) const;
    // A new folder in it with the given security (SDDL; null: inherited);
    // invalid when the name exists.
    CHeldFolder CreateFolder(const std::wstring& name, const wchar_t* sddl) const;
    // The folder in it, made when it is not there; invalid when it is a link
    // or no folder.
    CHeldFolder OpenOrCreateFolder(const std::wstring& name) const;
    // A plain file in it (no folder, no link), opened as asked; invalid
    // otherwise. A file that is busy for a moment is tried again, unless not
    // worth waiting for.
    CFileHandle OpenFile(const std::wstring& name, ACCESS_MASK access, ULONG share, bool waitWhileBusy = true) const;
    // The first 4 KiB of a small plain file with one name in it (a note); empty when it cannot be read.
    std::string ReadNote(const std::wstring& name, bool waitWhileBusy = true) const;
    // A new file in it, with the given security (null: inherited); invalid when the name exists.
    CFileHandle CreateFile(const std::wstring& name, ACCESS_MASK access, ULONG share,
                           PSECURITY_DESCRIPTOR security = nullptr) const;
    // Gives the file open as file (with DELETE access) the name in this
    // folder, replacing what had that name: a name with other links, or a
    // link, is replaced as a name, never written through.
    bool MoveInto(HANDLE file, const std::wstring& name) const;
    // Deletes the entry: a file, a link as itself, a folder with everything
    // in it. With expected, only when it still is that file or folder. False
    // when anything stayed (in use, held by someone).
    bool RemoveEntry(const std::wstring& name, const FileId* expected = nullptr) const;
    // Deletes everything in it; false when anything stayed.
    bool RemoveContents() const;

    void Close() { m_handle.Reset(); }

private:
    CHeldFolder(CFileHandle handle, std::wstring path) : m_handle(std::move(handle)), m_path(std::move(path)) {}
    // The attributes its own listing gives the entry: Wine reports a link
    // there, not on the handle opened on it.
    DWORD ListedAttributes(const std::wstring& name, DWORD& tag) const;
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
std::wstring FindFileRecursive(const CHeldFolder& folder, const std::wstring& name, bool descend);

// Marks the open file or folder for deletion: POSIX semantics where Windows
// has them (the name goes at once, even while a scanner still holds it),
// else the classic way. The handle needs DELETE access.
bool MarkForDeletion(HANDLE handle);

}  // namespace sys
