#pragma once
// A started program and every process it starts, in a job object, waited
// for as install/process_tree.h says; ended all together when the first one
// runs past the time limit. Closing the job leaves them running: a setup is
// never cut off halfway because this program ended.
#include <windows.h>

#include <string>

#include "install/process_tree.h"
#include "sys/cancel_token.h"
#include "sys/handle_win.h"

class CProcessTree {
public:
    // Reads the caller's job and makes the tree's own where one may be had.
    CProcessTree();
    CProcessTree(const CProcessTree&) = delete;
    CProcessTree& operator=(const CProcessTree&) = delete;

    // What CreateProcess needs: suspended until adopted, out of the caller's job where that is the way.
    DWORD CreationFlags() const;
    // Puts the suspended process in the tree; false (and logged) when it
    // stays alone, and then only it is waited for.
    bool Adopt(HANDLE process);
    enum class WaitEnd { Ended, TimedOut, Cancelled };
    // Waits until the process has ended, at most timeoutMs (0: no limit), or
    // until cancel is set; then what it started for graceMs more, after which
    // that is left running and named in the log (Ended). TimedOut: the first
    // process ran past the limit (the caller ends the tree, or, for an .msi,
    // nothing).
    WaitEnd WaitUntilEnded(HANDLE process, unsigned long timeoutMs, unsigned long graceMs, bool windowsInstaller,
                           const CCancelToken* cancel);
    // Ends the process and all it started.
    void EndAll(HANDLE process, UINT code);

private:
    unsigned ActiveProcesses() const;
    // Waits up to ms for a process of the tree to end or the first one to; false on a cancel.
    void WaitForChange(HANDLE process, bool firstEnded, unsigned long ms);
    void LogLeftRunning(DWORD firstId) const;

    TreeHold m_hold;
    sys::CKernelHandle m_job, m_port;
    bool m_adopted = false;
};
