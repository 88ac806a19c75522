#pragma once
// A file of a job folder held open for reading and shared for reading only:
// until it is closed, nobody can write, rename or delete it.
#include <memory>
#include <string>

#include "install/held_file.h"
#include "sys/file_reader_win.h"

class CWindowsHeldFile : public IHeldFile {
public:
    CWindowsHeldFile(std::wstring path, sys::CFileHandle file) : m_file(std::move(path), std::move(file)) {}
    const std::wstring& Path() const override { return m_file.Path(); }
    unsigned long long Size() override { return m_file.Size(); }
    bool ReadAt(unsigned long long offset, void* buffer, unsigned long size, unsigned long& got,
                unsigned long& error) override {
        return m_file.ReadAt(offset, buffer, size, got, error);
    }
    std::string Sha256() override;
    bool HasSha256(const std::string& expectedHex, std::string& reason) override;
    bool SignedBy(const std::wstring& signer, std::string& reason) override;
    MsiMedia WindowsInstallerMedia() override;

private:
    sys::CFileReader m_file;
};
