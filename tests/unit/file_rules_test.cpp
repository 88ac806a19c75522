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
    // A link (a name surrogate) is never followed; a OneDrive placeholder or a deduplicated file is the file itself.
    const struct { unsigned long attributes, tag; bool link; } reparse[] = {
        {0x400, 0xA000000C, true},   // a symbolic link
        {0x410, 0xA0000003, true},   // a junction or mount point
        {0x400, 0x9000001A, false},  // a cloud files placeholder
        {0x410, 0x9000601A, false},  // a cloud placeholder folder
        {0x400, 0x80000013, false},  // deduplicated
        {0x400, 0, true},            // a tag not told: as Wine lists a link
        {0x010, 0xA000000C, false},  // no reparse point at all
    };
    for (const auto& r : reparse) EXPECT_EQ(sys::IsLinkReparse(r.attributes, r.tag), r.link) << std::hex << r.tag;
    // POSIX deletion ignoring the read-only flag, else POSIX alone, else the classic way; any other refusal ends it.
    using Way = sys::DeletionWay;
    const struct { const char* name; std::vector<unsigned long> answers; std::size_t tried; bool marked; } volumes[] = {
        {"Windows 10 1809 and later", {0}, 1, true},
        {"POSIX without the read-only flag", {kInvalidParameter, 0}, 2, true},
        {"no POSIX deletion", {kNotSupported, kInvalidParameter, 0}, 3, true},
        {"in use", {kSharingViolation}, 1, false},
        {"nothing works", {kInvalidParameter, kInvalidParameter, kAccessDenied}, 3, false},
    };
    for (const auto& v : volumes) {
        std::vector<Way> tried;
        const bool marked = sys::MarkWithFirstWayTaken([&](Way way) {
            tried.push_back(way);
            return v.answers[tried.size() - 1];
        });
        EXPECT_EQ(marked, v.marked) << v.name;
        const std::vector<Way> order = {Way::PosixIgnoringReadOnly, Way::Posix, Way::Classic};
        EXPECT_EQ(tried, std::vector<Way>(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(v.tried))) << v.name;
    }
}
