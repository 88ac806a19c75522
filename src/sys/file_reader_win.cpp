#include "sys/file_reader_win.h"

#include "sys/busy_retry_win.h"
#include "sys/file_rules.h"

namespace sys {

namespace {

// Readers may read along; nobody may write, rename or delete it meanwhile.
constexpr DWORD kReadAccess = GENERIC_READ | READ_CONTROL;

std::unique_ptr<CFileReader> Checked(std::wstring path, CFileHandle file, DWORD& error) {
    if (!file.Valid()) {
        error = ::GetLastError();
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!::GetFileInformationByHandle(file.Get(), &info)) {
        error = ::GetLastError();
        return nullptr;
    }
    FILE_ATTRIBUTE_TAG_INFO tag = {};
    if (!::GetFileInformationByHandleEx(file.Get(), FileAttributeTagInfo, &tag, sizeof tag))
        tag.FileAttributes = info.dwFileAttributes;
    OpenedFileFacts facts;
    facts.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.link = IsLinkReparse(tag.FileAttributes, tag.ReparseTag);
    facts.names = info.nNumberOfLinks;
    error = OpenedFileRefusal(facts);
    if (error != 0) return nullptr;
    // A placeholder (OneDrive's) is read through its filter.
    file = ThroughFilter(std::move(file), kReadAccess, FILE_SHARE_READ, FILE_FLAG_SEQUENTIAL_SCAN);
    if (!file.Valid()) {
        error = ERROR_CANT_ACCESS_FILE;
        return nullptr;
    }
    return std::make_unique<CFileReader>(std::move(path), std::move(file));
}

}  // namespace

unsigned long long CFileReader::Size() {
    LARGE_INTEGER size = {};
    return ::GetFileSizeEx(m_file.Get(), &size) ? static_cast<unsigned long long>(size.QuadPart) : 0;
}

bool CFileReader::ReadAt(unsigned long long offset, void* buffer, unsigned long size, unsigned long& got,
                         unsigned long& error) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    got = 0;
    if (!::ReadFile(m_file.Get(), buffer, size, &read, &at)) {
        error = ::GetLastError();
        if (error != ERROR_HANDLE_EOF) return false;
        read = 0;
    }
    got = read;
    return true;
}

std::unique_ptr<CFileReader> OpenOutsideFile(const std::wstring& path, DWORD& error) {
    CFileHandle file;
    RetryWhileBusy([&] {
        file.Reset(::CreateFileW(path.c_str(), kReadAccess, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        return file.Valid();
    });
    return Checked(path, std::move(file), error);
}

std::unique_ptr<CFileReader> OpenOutsideFileIn(const CHeldFolder& folder, const std::wstring& name, DWORD& error) {
    CFileHandle file = folder.OpenFile(name, kReadAccess, FILE_SHARE_READ);
    return Checked(folder.PathOf(name), std::move(file), error);
}

}  // namespace sys
