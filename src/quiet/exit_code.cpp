#include "quiet/exit_code.h"

ExitCode ExitCodeOfInstaller(unsigned long installerCode) {
    if (installerCode == 0) return kExitDone;
    if (installerCode == 3010 || installerCode == 1641) return kExitRestartNeeded;
    return kExitInstallerFailed;
}

ExitCode ExitCodeOfStatus(TranslationKey shown) {
    switch (shown) {
    case kWifiInstalled: case kHintDlBt: return kExitDone;
    case kPkgNotTrusted: return kExitPackageRefused;
    case kDlNotSaved: return kExitNotSaved;
    case kDlRxFailed: case kDlBtFailed: case kHintNoInternet: case kTlsFailed: return kExitNoConnection;
    default: return kExitInstallerMissing;  // no setup program, none for this Windows
    }
}

ExitCode CombineExitCodes(const std::vector<ExitCode>& jobs) {
    bool restart = false;
    for (ExitCode code : jobs) {
        if (code == kExitRestartNeeded) restart = true;
        else if (code != kExitDone) return code;
    }
    return restart ? kExitRestartNeeded : kExitDone;
}
