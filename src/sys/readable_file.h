#pragma once
// A file held open for reading: what was checked is what is read, and what
// is read may be copied elsewhere through any holder of it.
#include <string>

class IReadableFile {
public:
    virtual ~IReadableFile() = default;
    // For messages and for starting it; never opened again by that name.
    virtual const std::wstring& Path() const = 0;
    virtual unsigned long long Size() = 0;
    // Up to size bytes from offset; got is 0 at the end. False with the
    // system's error number.
    virtual bool ReadAt(unsigned long long offset, void* buffer, unsigned long size, unsigned long& got,
                        unsigned long& error) = 0;
};
