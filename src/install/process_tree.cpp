#include "install/process_tree.h"

TreeHold ChooseTreeHold(const CallerJobObject& caller) {
    if (!caller.inJob || caller.nestingAllowed || caller.silentBreakaway) return TreeHold::OwnJobObject;
    return caller.breakawayAllowed ? TreeHold::BreakAwayToOwnJobObject : TreeHold::FirstProcessOnly;
}

TreeStep NextTreeStep(const TreeFacts& facts) {
    if (facts.cancelled) return TreeStep::Cancelled;
    if (!facts.firstEnded) {
        if (!facts.timeLimitReached) return TreeStep::KeepWaiting;
        return facts.windowsInstaller ? TreeStep::GiveUp : TreeStep::EndAll;
    }
    if (facts.othersRunning == 0) return TreeStep::Done;
    return facts.graceOver ? TreeStep::LeaveOthers : TreeStep::KeepWaiting;
}
