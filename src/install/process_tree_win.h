#pragma once
// A started program and every process it starts, in a job object, waited
// for until none is left; ended all together when time runs out. Closing
// the job leaves them running: a setup is never cut off halfway because
// this program ended.
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
    // Waits until the process and all it started have ended, at most
    // timeoutMs (0: no limit), or until cancel is set.
    WaitEnd WaitUntilEnded(HANDLE process, unsigned long timeoutMs, const CCancelToken* cancel);
    // Ends the process and all it started.
    void EndAll(HANDLE process, UINT code);

private:
    WaitEnd WaitUntilEmpty(unsigned long long deadline, const CCancelToken* cancel);
    unsigned ActiveProcesses() const;

    TreeHold m_hold;
    sys::CKernelHandle m_job, m_port;
    bool m_adopted = false;
};
