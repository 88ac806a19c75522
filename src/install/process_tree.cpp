#include "install/process_tree.h"

TreeHold ChooseTreeHold(const CallerJob& caller) {
    if (!caller.inJob || caller.nestingAllowed || caller.silentBreakaway) return TreeHold::OwnJob;
    return caller.breakawayAllowed ? TreeHold::BreakAwayToOwnJob : TreeHold::FirstProcessOnly;
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
