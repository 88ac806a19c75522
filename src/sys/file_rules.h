#pragma once
// Decisions about files that the Windows code carries out: which errors are
// worth another try, when the classic deletion must stand in for the POSIX
// one, and whether a file opened from outside is one the program may read.
// Portable, so that what Wine cannot show is tested natively.
#include <initializer_list>

namespace sys {

// Error numbers as Windows gives them (winerror.h), for the portable code.
namespace error {
constexpr unsigned long kInvalidFunction = 1, kFileNotFound = 2, kPathNotFound = 3, kAccessDenied = 5,
                        kInvalidData = 13, kNotSupported = 50, kSharingViolation = 32, kLockViolation = 33,
                        kHandleDiskFull = 39, kInvalidParameter = 87, kDiskFull = 112, kDirNotEmpty = 145,
                        kFileTooLarge = 223, kCantAccessFile = 1920, kTooManyLinks = 1142;
}

// A reparse point that names another file or folder (a symbolic link, a
// junction, a mount point: a "name surrogate") is a link and never followed;
// one of any other tag (a OneDrive placeholder, a deduplicated file) is the
// file itself, read through its filter. A reparse point whose tag is not
// known (0: Wine shows links only so) counts as a link.
constexpr unsigned long kReparsePointAttribute = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT
constexpr bool IsNameSurrogate(unsigned long tag) { return (tag & 0x20000000) != 0; }
constexpr bool IsLinkReparse(unsigned long attributes, unsigned long tag) {
    return (attributes & kReparsePointAttribute) != 0 && (tag == 0 || IsNameSurrogate(tag));
}

// The ways a file is marked for deletion, in the order they are tried: POSIX
// semantics with the read-only flag ignored, POSIX semantics alone (a Windows
// that knows the one flag and not the other), then the classic way.
enum class DeletionWay { PosixIgnoringReadOnly, Posix, Classic };
// Tries each way in turn while the volume refuses it as not supported
// (attempt gives the error, 0 when taken); whether one was taken.
template <class Attempt>
bool MarkWithFirstWayTaken(Attempt attempt);

// A file a scanner or indexer holds for a moment, or a folder whose last
// entry is still being let go of: worth trying again for a while.
bool IsBusyError(unsigned long error);

// A call this Windows or its file system does not have: POSIX deletion (the
// name goes at once, even while someone still holds the file) before
// Windows 10 1709, the stream listing on FAT or under Wine. The caller then
// takes the classic way, or knows there is nothing of the kind.
bool IsNotSupportedError(unsigned long error);

// What is known of a file opened, without following links, to be read from
// outside the program's own folders (a layout's package, a program delivered
// beside the installer).
struct OpenedFileFacts {
    bool folder = false;
    bool link = false;            // a name surrogate: a symbolic link, a junction, a mount point (IsLinkReparse)
    unsigned long names = 1;      // hard links
};
// The error that refuses it (a folder, a link, a second name), or 0: a file
// with a second name may be another file of someone else's, whose content
// the log would then tell.
unsigned long OpenedFileRefusal(const OpenedFileFacts& facts);

template <class Attempt>
bool MarkWithFirstWayTaken(Attempt attempt) {
    for (DeletionWay way : {DeletionWay::PosixIgnoringReadOnly, DeletionWay::Posix, DeletionWay::Classic}) {
        const unsigned long error = attempt(way);
        if (error == 0) return true;
        if (!IsNotSupportedError(error)) return false;
    }
    return false;
}

}  // namespace sys
