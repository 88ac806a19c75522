#include "sys/file_rules.h"

namespace sys {

bool IsBusyError(unsigned long e) {
    return e == error::kSharingViolation || e == error::kAccessDenied || e == error::kLockViolation ||
           e == error::kDirNotEmpty;
}

bool IsNotSupportedError(unsigned long e) {
    return e == error::kInvalidParameter || e == error::kNotSupported || e == error::kInvalidFunction;
}

unsigned long OpenedFileRefusal(const OpenedFileFacts& facts) {
    if (facts.folder || facts.link) return error::kCantAccessFile;
    if (facts.names != 1) return error::kTooManyLinks;
    return 0;
}

}  // namespace sys
