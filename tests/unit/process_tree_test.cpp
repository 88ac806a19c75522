#include <gtest/gtest.h>

#include "install/process_tree.h"

// Deployment tools start the program in a job of their own; Windows 7 nests
// no jobs, so the installer's must be had by breaking away, or not at all
// (Wine nests them: these decisions are tested here).
TEST(ProcessTree, AJobOfItsOwnWhereverTheCallersJobAllowsOne) {
    const struct { CallerJobObject caller; TreeHold hold; } cases[] = {
        {{false, false, false, false}, TreeHold::OwnJobObject},
        {{true, true, false, false}, TreeHold::OwnJobObject},              // Windows 8 and later
        {{true, false, false, true}, TreeHold::OwnJobObject},              // its children leave it anyway
        {{true, false, true, false}, TreeHold::BreakAwayToOwnJobObject},
        {{true, false, false, false}, TreeHold::FirstProcessOnly},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseTreeHold(c.caller), c.hold)
            << c.caller.inJob << c.caller.nestingAllowed << c.caller.breakawayAllowed << c.caller.silentBreakaway;
}

// The first process is what the run waits for; what it leaves is waited for a
// grace period and then left running. The time limit ends a setup that hangs,
// except an .msi, whose install the service runs on whatever its client does.
TEST(ProcessTree, WhatASetupLeavesRunningIsLeftAlone) {
    const struct { const char* name; TreeFacts facts; TreeStep step; } cases[] = {
        {"still running", {false, 3, false, false, false, false}, TreeStep::KeepWaiting},
        {"everything ended", {true, 0, false, false, false, false}, TreeStep::Done},
        {"its child still works", {true, 1, false, false, false, false}, TreeStep::KeepWaiting},
        {"a tray program after the grace", {true, 1, false, true, false, false}, TreeStep::LeaveOthers},
        {"the limit passes after the first ended", {true, 1, true, false, false, false}, TreeStep::KeepWaiting},
        {"a setup that hangs", {false, 1, true, false, false, false}, TreeStep::EndAll},
        {"an .msi that hangs", {false, 0, true, false, true, false}, TreeStep::GiveUp},
        {"cancelled", {false, 1, true, true, false, true}, TreeStep::Cancelled},
    };
    for (const auto& c : cases) EXPECT_EQ(NextTreeStep(c.facts), c.step) << c.name;
}
