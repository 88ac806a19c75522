#include <gtest/gtest.h>

#include "install/features.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

// cmake/Jobs.cmake lists the jobs in the table's order: each job's build
// switch and silent arguments are its own, and its row is at its own place.
TEST(Features, TheBuildListsTheJobsOfTheTable) {
    ASSERT_EQ(build::kJobCount, kFeatures.size());
    for (std::size_t i = 0; i < kFeatures.size(); ++i) {
        EXPECT_EQ(JobIndex(kFeatures[i].job), i);
        EXPECT_EQ(Lower(build::kJobNames[i]), WideToUtf8(kFeatures[i].quietSwitch)) << i;
        EXPECT_EQ(&FeatureOf(kFeatures[i].job), &kFeatures[i]);
    }
}
