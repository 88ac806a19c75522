#include <gtest/gtest.h>

#include <vector>

#include "sys/file_rules.h"

// What Wine cannot show, decided here: which errors are tried again, when
// the classic deletion stands in for the POSIX one (before Windows 10 1709),
// and which files from outside are read at all.
TEST(FileRules, RetriesFallbacksAndFilesReadFromOutside) {
    using namespace sys::error;
    const struct { unsigned long error; bool busy, notSupported; } errors[] = {
        {kSharingViolation, true, false}, {kAccessDenied, true, false}, {kLockViolation, true, false},
        {kDirNotEmpty, true, false},  // a scanner still lets go of a file in it
        {kInvalidParameter, false, true}, {kNotSupported, false, true}, {kInvalidFunction, false, true},
        {kFileNotFound, false, false}, {kDiskFull, false, false}, {0, false, false},
    };
    for (const auto& e : errors) {
        EXPECT_EQ(sys::IsBusyError(e.error), e.busy) << e.error;
        EXPECT_EQ(sys::IsNotSupportedError(e.error), e.notSupported) << e.error;
    }
    const struct { sys::OpenedFileFacts facts; unsigned long refusal; } files[] = {
        {{false, false, 1}, 0}, {{true, false, 1}, kCantAccessFile}, {{false, true, 1}, kCantAccessFile},
        {{false, false, 2}, kTooManyLinks}, {{false, false, 0}, kTooManyLinks},
    };
    for (const auto& f : files) EXPECT_EQ(sys::OpenedFileRefusal(f.facts), f.refusal) << f.facts.names;
}
