#include <gtest/gtest.h>

#include "install/process_tree.h"

// Deployment tools start the program in a job of their own; Windows 7 nests
// no jobs, so the installer's must be had by breaking away, or not at all
// (Wine nests them: these decisions are tested here).
TEST(ProcessTree, AJobOfItsOwnWhereverTheCallersJobAllowsOne) {
    const struct { CallerJob caller; TreeHold hold; } cases[] = {
        {{false, false, false, false}, TreeHold::OwnJob},
        {{true, true, false, false}, TreeHold::OwnJob},              // Windows 8 and later
        {{true, false, false, true}, TreeHold::OwnJob},              // its children leave it anyway
        {{true, false, true, false}, TreeHold::BreakAwayToOwnJob},
        {{true, false, false, false}, TreeHold::FirstProcessOnly},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseTreeHold(c.caller), c.hold)
            << c.caller.inJob << c.caller.nestingAllowed << c.caller.breakawayAllowed << c.caller.silentBreakaway;
}
