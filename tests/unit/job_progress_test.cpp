#include <gtest/gtest.h>

#include "ui/taskbar_view.h"
#include "install/job_progress.h"

namespace {
JobProgress At(JobPhase phase, unsigned long long done = 0, unsigned long long total = 0) {
    return {JobId::Bluetooth, phase, {done, total, 0}};
}
}  // namespace

// Screen readers hear a new phase and each quarter of a download, not each
// of up to four reports a second.
TEST(JobProgress, ReadersHearEachPhaseAndEachQuarter) {
    const struct { const char* name; JobProgress last, next; bool heard; } cases[] = {
        {"a new phase", At(JobPhase::Asking), At(JobPhase::Downloading), true},
        {"the first figures", At(JobPhase::Downloading), At(JobPhase::Downloading, 10, 100), true},
        {"within a quarter", At(JobPhase::Downloading, 10, 100), At(JobPhase::Downloading, 24, 100), false},
        {"the next quarter", At(JobPhase::Downloading, 24, 100), At(JobPhase::Downloading, 25, 100), true},
        {"the end", At(JobPhase::Downloading, 99, 100), At(JobPhase::Downloading, 100, 100), true},
        {"no size: figures alone", At(JobPhase::Downloading, 10, 0), At(JobPhase::Downloading, 900, 0), false},
        {"the same phase again", At(JobPhase::Checking), At(JobPhase::Checking), false},
    };
    for (const auto& c : cases) EXPECT_EQ(WorthAnnouncing(c.last, c.next), c.heard) << c.name;
}

// The taskbar shows the bytes of every download together while all sizes are
// known, is busy while one is not or a package is checked, red after a failure.
TEST(JobProgress, TheTaskbarAddsUpOnlyWhatIsKnown) {
    const struct { const char* name; std::vector<JobProgress> active; bool failed; TaskbarView view; } cases[] = {
        {"nothing runs", {}, false, {TaskbarState::None, 0, 0}},
        {"the last one failed", {}, true, {TaskbarState::Error, 0, 0}},
        {"one download", {At(JobPhase::Downloading, 30, 100)}, false, {TaskbarState::Normal, 30, 100}},
        {"two together", {At(JobPhase::Downloading, 30, 100), At(JobPhase::Copying, 5, 50)}, false,
         {TaskbarState::Normal, 35, 150}},
        {"a size unknown", {At(JobPhase::Downloading, 30, 100), At(JobPhase::Downloading, 5, 0)}, false,
         {TaskbarState::Indeterminate, 0, 0}},
        {"a check", {At(JobPhase::Checking)}, true, {TaskbarState::Indeterminate, 0, 0}},
        {"asked, nothing known yet", {At(JobPhase::Asking)}, false, {TaskbarState::Indeterminate, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_TRUE(TaskbarOf(c.active, c.failed) == c.view) << c.name;
    EXPECT_FALSE(Determinate(At(JobPhase::Unpacking, 5, 10)));
    EXPECT_TRUE(Determinate(At(JobPhase::Copying, 5, 10)));
}
