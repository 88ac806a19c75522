#include "net/partial_file_win.h"

#include "sys/busy_retry_win.h"
#include "sys/work_folder_win.h"
#include "sys/log.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

namespace net {

CPartialFile::CPartialFile(const std::wstring& url, const std::wstring& finalPath) : m_url(WideToUtf8(url)) {
    if (!OpenKept()) OpenTemporary(finalPath);
}

CPartialFile::~CPartialFile() {
    if (!m_file.Valid()) return;
    if (m_resumable && Size() > 0) {
        sys::Log(L"kept " + std::to_wstring(Size()) + L" bytes of the download to continue later: " + m_path);
        return;
    }
    m_file.Reset();
    // Deleted by name: a DELETE right held all along would keep a scanner from opening it.
    if (m_partial.Valid()) m_partial.RemoveEntry(m_key + L".part");
    else ::DeleteFileW(m_path.c_str());
    RemoveNote();
}

unsigned long long CPartialFile::Size() const {
    LARGE_INTEGER size = {};
    return ::GetFileSizeEx(m_file.Get(), &size) ? static_cast<unsigned long long>(size.QuadPart) : 0;
}

bool CPartialFile::StartOver() {
    LARGE_INTEGER zero = {};
    return ::SetFilePointerEx(m_file.Get(), zero, nullptr, FILE_BEGIN) && ::SetEndOfFile(m_file.Get());
}

void CPartialFile::Note(const std::string& validator, unsigned long long total) {
    m_resumable = false;
    RemoveNote();
    if (!m_partial.Valid() || validator.empty() || total == 0) return;
    const std::string note = WritePartialNote({m_url, validator, total});
    const sys::CFileHandle file = m_partial.CreateFile(m_key + L".json", GENERIC_WRITE, 0);
    DWORD written = 0;
    m_resumable = file.Valid() &&
                  ::WriteFile(file.Get(), note.data(), static_cast<DWORD>(note.size()), &written, nullptr) &&
                  written == note.size();
}

bool CPartialFile::HasRoomFor(unsigned long long bytes) const {
    ULARGE_INTEGER available = {};
    return !::GetDiskFreeSpaceExW(m_folder.c_str(), &available, nullptr, nullptr) || bytes <= available.QuadPart;
}

bool CPartialFile::MoveTo(const std::wstring& path) {
    m_file.Reset();
    if (!sys::RetryWhileBusy([&] { return ::MoveFileExW(m_path.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING); }))
        return false;
    RemoveNote();
    return true;
}

bool CPartialFile::OpenKept() {
    const sys::CHeldFolder work = sys::GetWorkFolder();
    m_partial = work.Valid() ? work.OpenOrCreateFolder(kPartialFolderName) : sys::CHeldFolder();
    if (!m_partial.Valid()) return false;
    m_key = PartialKey(m_url);
    const std::wstring name = m_key + L".part";
    // A name with a second one writes into another file: never written through, never kept.
    for (const std::wstring& kept : {name, m_key + L".json"}) RemoveIfLinked(kept);
    constexpr ACCESS_MASK kAccess = GENERIC_READ | GENERIC_WRITE;
    m_file = m_partial.OpenFile(name, kAccess, FILE_SHARE_READ, false);
    if (!m_file.Valid()) m_file = m_partial.CreateFile(name, kAccess, FILE_SHARE_READ);
    if (!m_file.Valid()) {
        m_partial.Close();
        return false;
    }
    m_folder = m_partial.Path();
    m_path = m_partial.PathOf(name);
    PartialDownload note;
    if (ReadPartialNote(m_partial.ReadNote(m_key + L".json", false), note) && ContinuesPartial(note, m_url, Size())) {
        m_earlier = note;
        m_resumable = true;
        LARGE_INTEGER end = {};
        ::SetFilePointerEx(m_file.Get(), end, nullptr, FILE_END);
    } else {
        StartOver();
        RemoveNote();
    }
    return true;
}

void CPartialFile::OpenTemporary(const std::wstring& finalPath) {
    m_folder = FolderOf(finalPath);
    wchar_t name[MAX_PATH] = {};
    if (::GetTempFileNameW(m_folder.c_str(), L"dl", 0, name)) m_path = name;
    // Shared for reading: a virus scanner may look at it while it grows.
    if (!m_path.empty())
        sys::RetryWhileBusy([&] {
            m_file.Reset(::CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
            return m_file.Valid();
        });
}

void CPartialFile::RemoveIfLinked(const std::wstring& name) {
    const sys::CFileHandle file =
        m_partial.OpenFile(name, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false);
    if (!file.Valid() || sys::NamesOf(file.Get()) <= 1) return;
    sys::Log(L"the kept " + m_partial.PathOf(name) + L" has a second name: removed, the download starts over");
    m_partial.RemoveEntry(name);
}

void CPartialFile::RemoveNote() {
    if (m_partial.Valid()) m_partial.RemoveEntry(m_key + L".json");
}

}  // namespace net
