#include <gtest/gtest.h>

#include "install/jobs.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

// cmake/Jobs.cmake lists the jobs in the table's order: each job's build
// switch and silent arguments are its own, and its row is at its own place.
TEST(Jobs, TheBuildListsTheJobsOfTheTable) {
    ASSERT_EQ(build::kJobCount, kJobs.size());
    for (std::size_t i = 0; i < kJobs.size(); ++i) {
        EXPECT_EQ(JobIndex(kJobs[i].id), i);
        EXPECT_EQ(Lower(build::kJobNames[i]), WideToUtf8(kJobs[i].quietSwitch)) << i;
        EXPECT_EQ(&JobOf(kJobs[i].id), &kJobs[i]);
    }
}
