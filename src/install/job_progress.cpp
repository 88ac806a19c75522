#include "install/job_progress.h"

bool ShowsBar(JobPhase phase) {
    return phase == JobPhase::Downloading || phase == JobPhase::Copying || phase == JobPhase::Checking ||
           phase == JobPhase::Unpacking;
}

bool Determinate(const JobProgress& progress) {
    return (progress.phase == JobPhase::Downloading || progress.phase == JobPhase::Copying) &&
           progress.transfer.total != 0;
}

const char* PhaseName(JobPhase phase) {
    switch (phase) {
    case JobPhase::Asking: return "asking";
    case JobPhase::Downloading: return "downloading";
    case JobPhase::Copying: return "copying";
    case JobPhase::Checking: return "checking";
    case JobPhase::Unpacking: return "unpacking";
    case JobPhase::Starting: return "starting";
    case JobPhase::Started: return "started";
    case JobPhase::Ended: break;
    }
    return "ended";
}
