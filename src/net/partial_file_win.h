#pragma once
// Where a download's bytes go as they arrive (net/partial_download.h): the
// work folder's partial folder under the address's key, kept when the
// transfer ends unfinished and the server named a validator, so that a later
// download continues; moved into place when whole. Where that file cannot be
// had (another run writes it), a temporary file beside the final one, never
// kept. A kept file or note with a second name is removed, never written
// through.
#include <windows.h>

#include <string>

#include "net/partial_download.h"
#include "sys/handle_win.h"
#include "sys/held_folder_win.h"

namespace net {

class CPartialFile {
public:
    CPartialFile(const std::wstring& url, const std::wstring& finalPath);
    // Kept to continue later when it can be, else removed.
    ~CPartialFile();
    CPartialFile(const CPartialFile&) = delete;
    CPartialFile& operator=(const CPartialFile&) = delete;

    bool Valid() const { return m_file.Valid(); }
    HANDLE File() const { return m_file.Get(); }
    unsigned long long Size() const;
    // What an earlier run left of this download, when it continues it.
    const PartialDownload* Earlier() const { return m_earlier.url.empty() ? nullptr : &m_earlier; }
    // Empties it: the download starts from its first byte.
    bool StartOver();
    // What a later run needs to continue: the first answer's validator and
    // length; without a validator nothing could be continued.
    void Note(const std::string& validator, unsigned long long total);
    bool HasRoomFor(unsigned long long bytes) const;
    // Moves the whole file to path, replacing what is there.
    bool MoveTo(const std::wstring& path);

private:
    bool OpenKept();
    void OpenTemporary(const std::wstring& finalPath);
    void RemoveIfLinked(const std::wstring& name);
    void RemoveNote();

    std::string m_url;
    sys::CHeldFolder m_partial;  // held while the download writes in it
    std::wstring m_key, m_folder, m_path;
    sys::CFileHandle m_file;
    PartialDownload m_earlier;
    bool m_resumable = false;
};

}  // namespace net
