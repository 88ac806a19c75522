#pragma once
// Copies made through handles only: from a file held open for reading into
// a new file of a held folder.
#include <windows.h>

#include <functional>
#include <string>

#include "sys/cancel_token.h"
#include "sys/held_folder_win.h"
#include "sys/readable_file.h"
#include "sys/transfer_progress.h"

namespace sys {

// Any size up to the limit: for a file whose size nobody announced.
constexpr unsigned long long kAnySize = 0;

// Creates the new file name in folder with the content of source. Before a
// byte is copied the source's size must be expectedSize (kAnySize: at most
// maxSize) and fit the folder's free space. False with the system's error
// (ERROR_INVALID_DATA for another size, ERROR_FILE_TOO_LARGE, ERROR_DISK_FULL),
// and no part of a copy left behind. progress, when given, hears how far it
// came; a cancel ends it within a chunk (ERROR_CANCELLED).
bool CopyInto(const CHeldFolder& folder, const std::wstring& name, IReadableFile& source,
              unsigned long long expectedSize, unsigned long long maxSize,
              const TransferProgressFn& progress, DWORD& error, const CCancelToken* cancel = nullptr);

// The same, giving the new file open with DELETE access (to be renamed into
// place); invalid on failure.
CFileHandle CopyToNewFile(const CHeldFolder& folder, const std::wstring& name, IReadableFile& source,
                          unsigned long long expectedSize, unsigned long long maxSize,
                          const TransferProgressFn& progress, DWORD& error, const CCancelToken* cancel = nullptr);

// Whether bytes more fit on the volume of the held folder (when that cannot
// be told, they are taken to fit: the writes will say).
bool HasRoomFor(const CHeldFolder& folder, unsigned long long bytes);

}  // namespace sys
