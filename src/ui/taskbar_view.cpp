#include "ui/taskbar_view.h"

TaskbarView TaskbarOf(const std::vector<JobProgress>& active, bool failed) {
    if (active.empty()) return {failed ? TaskbarState::Error : TaskbarState::None, 0, 0};
    TaskbarView view{TaskbarState::Normal, 0, 0};
    for (const JobProgress& progress : active) {
        if (!Determinate(progress)) return {TaskbarState::Indeterminate, 0, 0};
        view.done += progress.transfer.done;
        view.total += progress.transfer.total;
    }
    return view;
}
