#include "quiet/exit_code.h"

ExitCode CombineExitCodes(const std::vector<ExitCode>& jobs) {
    bool restart = false;
    for (ExitCode code : jobs) {
        if (code == kExitRestartNeeded) restart = true;
        else if (code != kExitDone) return code;
    }
    return restart ? kExitRestartNeeded : kExitDone;
}
