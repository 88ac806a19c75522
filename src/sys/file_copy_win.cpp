#include "sys/file_copy_win.h"

#include <vector>


namespace sys {

namespace {

// Checks that happen before a byte is written: the size and the room for it.
DWORD SizeRefusal(const CHeldFolder& folder, unsigned long long size, unsigned long long expectedSize,
                  unsigned long long maxSize) {
    if (expectedSize != kAnySize && size != expectedSize) return ERROR_INVALID_DATA;
    if (size > maxSize) return ERROR_FILE_TOO_LARGE;
    if (!HasRoomFor(folder, size)) return ERROR_DISK_FULL;
    return ERROR_SUCCESS;
}

}  // namespace

bool HasRoomFor(const CHeldFolder& folder, unsigned long long bytes) {
    ULARGE_INTEGER available = {};
    return !::GetDiskFreeSpaceExW((folder.Path() + L"\\").c_str(), &available, nullptr, nullptr) ||
           bytes <= available.QuadPart;
}

bool CopyInto(const CHeldFolder& folder, const std::wstring& name, IReadableFile& source,
              unsigned long long expectedSize, unsigned long long maxSize,
              const TransferProgressFn& progress, DWORD& error, const CCancelToken* cancel) {
    return CopyToNewFile(folder, name, source, expectedSize, maxSize, progress, error, cancel).Valid();
}

CFileHandle CopyToNewFile(const CHeldFolder& folder, const std::wstring& name, IReadableFile& source,
                          unsigned long long expectedSize, unsigned long long maxSize,
                          const TransferProgressFn& progress, DWORD& error, const CCancelToken* cancel) {
    const unsigned long long size = source.Size();
    if ((error = SizeRefusal(folder, size, expectedSize, maxSize)) != ERROR_SUCCESS) return CFileHandle();
    CFileHandle to = folder.CreateFile(name, GENERIC_WRITE | DELETE, 0);
    if (!to.Valid()) {
        error = ::GetLastError();
        return to;
    }
    std::vector<char> chunk(1 << 20);
    unsigned long long copied = 0;
    CProgressReporter reporter(progress);
    for (;;) {
        if (cancel && cancel->Cancelled()) {
            error = ERROR_CANCELLED;
            break;
        }
        unsigned long got = 0;
        if (!source.ReadAt(copied, chunk.data(), static_cast<unsigned long>(chunk.size()), got, error)) break;
        // It cannot grow while held; should it be other than it said, it is not what was checked.
        if (got == 0 && copied == size) return to;
        if (got == 0 || copied + got > size) {
            error = ERROR_INVALID_DATA;
            break;
        }
        DWORD written = 0;
        if (!::WriteFile(to.Get(), chunk.data(), got, &written, nullptr) || written != got) {
            error = ::GetLastError();
            break;
        }
        copied += got;
        reporter.Report(::GetTickCount64(), copied, size);
    }
    MarkForDeletion(to.Get());  // no half copy stays behind
    return CFileHandle();
}

}  // namespace sys
