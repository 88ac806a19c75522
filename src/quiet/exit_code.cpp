#include "quiet/exit_code.h"

ExitCode CombineExitCodes(const std::vector<ExitCode>& jobs) {
    for (ExitCode code : jobs)
        if (code == kExitRestartStarted) return code;
    for (ExitCode code : jobs)
        if (code == kExitCancelled) return code;
    bool restart = false;
    for (ExitCode code : jobs) {
        if (code == kExitRestartNeeded) restart = true;
        else if (code != kExitDone) return code;
    }
    return restart ? kExitRestartNeeded : kExitDone;
}
