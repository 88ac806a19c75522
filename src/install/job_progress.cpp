#include "install/job_progress.h"

bool ShowsBar(JobPhase phase) {
    return phase == JobPhase::Downloading || phase == JobPhase::Copying || phase == JobPhase::Checking ||
           phase == JobPhase::Unpacking;
}

bool Determinate(const JobProgress& progress) {
    return (progress.phase == JobPhase::Downloading || progress.phase == JobPhase::Copying) &&
           progress.transfer.total != 0;
}

bool WorthAnnouncing(const JobProgress& last, const JobProgress& next) {
    if (next.phase != last.phase) return true;
    const int was = last.transfer.Percent(), is = next.transfer.Percent();
    return is >= 0 && (was < 0 || is / 25 != was / 25);
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
