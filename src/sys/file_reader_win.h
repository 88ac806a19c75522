#pragma once
// Files read from outside the program's own folders (a program delivered
// beside it, a layout's package): opened without following a link, only when
// they are plain files with one name, and held so that nobody can write,
// rename or delete them while they are read.
#include <windows.h>

#include <memory>
#include <string>

#include "sys/handle_win.h"
#include "sys/held_folder_win.h"
#include "sys/readable_file.h"

namespace sys {

class CFileReader : public IReadableFile {
public:
    CFileReader(std::wstring path, CFileHandle file) : m_path(std::move(path)), m_file(std::move(file)) {}
    const std::wstring& Path() const override { return m_path; }
    unsigned long long Size() override;
    bool ReadAt(unsigned long long offset, void* buffer, unsigned long size, unsigned long& got,
                unsigned long& error) override;
    HANDLE Get() const { return m_file.Get(); }

private:
    std::wstring m_path;
    CFileHandle m_file;
};

// The file at path (its last part never followed as a link); null with the
// system's error, ERROR_CANT_ACCESS_FILE for a folder or link and
// ERROR_TOO_MANY_LINKS for a file with a second name.
std::unique_ptr<CFileReader> OpenOutsideFile(const std::wstring& path, DWORD& error);
// The same for the file called name in a held folder, opened through it;
// with READ_CONTROL, so that its security can be read.
std::unique_ptr<CFileReader> OpenOutsideFileIn(const CHeldFolder& folder, const std::wstring& name, DWORD& error);

}  // namespace sys
