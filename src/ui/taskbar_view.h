#pragma once
// What the window's taskbar button shows for the jobs under way: their
// bytes together while every one transfers a package of known size, busy
// while a size is not known or a package is checked or unpacked, the error
// state after a job failed, nothing when nothing runs. Portable.
#include <vector>

#include "install/job_progress.h"

enum class TaskbarState { None, Normal, Indeterminate, Error };

struct TaskbarView {
    TaskbarState state = TaskbarState::None;
    unsigned long long done = 0, total = 0;  // with Normal
    bool operator==(const TaskbarView& o) const { return state == o.state && done == o.done && total == o.total; }
};

// active: the latest progress of each job at work (not ended, not only
// started); failed: the last job to end failed and none has begun since.
TaskbarView TaskbarOf(const std::vector<JobProgress>& active, bool failed);

// Whether a job in this phase is at work for the taskbar.
inline bool AtWork(JobPhase phase) { return phase != JobPhase::Ended && phase != JobPhase::Started; }
