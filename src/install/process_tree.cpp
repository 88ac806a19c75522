#include "install/process_tree.h"

TreeHold ChooseTreeHold(const CallerJob& caller) {
    if (!caller.inJob || caller.nestingAllowed || caller.silentBreakaway) return TreeHold::OwnJob;
    return caller.breakawayAllowed ? TreeHold::BreakAwayToOwnJob : TreeHold::FirstProcessOnly;
}
