#include "install/process_tree_win.h"

#include <algorithm>

#include "sys/log.h"
#include "sys/os_version.h"

namespace {

CallerJob ReadCallerJob() {
    CallerJob caller;
    BOOL inJob = FALSE;
    caller.inJob = ::IsProcessInJob(::GetCurrentProcess(), nullptr, &inJob) && inJob;
    caller.nestingAllowed = AtLeast(ClassifyOsVersion(KernelVersion()), WindowsVersion::Win8);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    if (caller.inJob && ::QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &limits,
                                                    sizeof limits, nullptr)) {
        const DWORD flags = limits.BasicLimitInformation.LimitFlags;
        caller.breakawayAllowed = (flags & JOB_OBJECT_LIMIT_BREAKAWAY_OK) != 0;
        caller.silentBreakaway = (flags & JOB_OBJECT_LIMIT_SILENT_BREAKAWAY_OK) != 0;
    }
    return caller;
}

bool SetUpJob(HANDLE job, HANDLE port) {
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT messages = {job, port};
    return ::SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation, &messages, sizeof messages);
}

constexpr unsigned long long kNoDeadline = ~0ull;
// How often a wait looks at the cancel: a cancel takes effect within this.
constexpr unsigned long long kCancelCheckMs = 200;

// The wait for the first process, in slices that look at the cancel.
CProcessTree::WaitEnd WaitForProcess(HANDLE process, unsigned long long deadline, const CCancelToken* cancel) {
    for (;;) {
        if (cancel && cancel->Cancelled()) return CProcessTree::WaitEnd::Cancelled;
        const unsigned long long now = ::GetTickCount64();
        if (now >= deadline) return CProcessTree::WaitEnd::TimedOut;
        const DWORD slice = static_cast<DWORD>(std::min(deadline - now, kCancelCheckMs));
        if (::WaitForSingleObject(process, slice) != WAIT_TIMEOUT) return CProcessTree::WaitEnd::Ended;
    }
}

}  // namespace

CProcessTree::CProcessTree() : m_hold(ChooseTreeHold(ReadCallerJob())) {
    if (m_hold == TreeHold::FirstProcessOnly) {
        sys::Log(L"this program runs in a job that takes no other job and lets no process leave it: "
                 L"only an installer's first process is waited for");
        return;
    }
    m_job.Reset(::CreateJobObjectW(nullptr, nullptr));
    m_port.Reset(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    if (!m_job.Valid() || !m_port.Valid() || !SetUpJob(m_job.Get(), m_port.Get())) {
        sys::Log(L"no job object for the installer (error " + std::to_wstring(::GetLastError()) +
                 L"): only its first process is waited for");
        m_job.Reset();
    }
}

DWORD CProcessTree::CreationFlags() const {
    if (!m_job.Valid()) return 0;
    return CREATE_SUSPENDED | (m_hold == TreeHold::BreakAwayToOwnJob ? CREATE_BREAKAWAY_FROM_JOB : 0);
}

bool CProcessTree::Adopt(HANDLE process) {
    if (!m_job.Valid()) return false;
    m_adopted = ::AssignProcessToJobObject(m_job.Get(), process) != FALSE;
    if (!m_adopted)
        sys::Log(L"the installer could not be put in a job object (error " + std::to_wstring(::GetLastError()) +
                 L"): only its first process is waited for");
    return m_adopted;
}

unsigned CProcessTree::ActiveProcesses() const {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    if (!::QueryInformationJobObject(m_job.Get(), JobObjectBasicAccountingInformation, &accounting,
                                     sizeof accounting, nullptr))
        return 0;
    return accounting.ActiveProcesses;
}

CProcessTree::WaitEnd CProcessTree::WaitUntilEmpty(unsigned long long deadline, const CCancelToken* cancel) {
    // The port's message is not guaranteed: the count is asked now and then as well.
    for (;;) {
        if (ActiveProcesses() == 0) return WaitEnd::Ended;
        if (cancel && cancel->Cancelled()) return WaitEnd::Cancelled;
        const unsigned long long now = ::GetTickCount64();
        if (now >= deadline) return WaitEnd::TimedOut;
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED detail = nullptr;
        const DWORD wait = static_cast<DWORD>(std::min(deadline - now, kCancelCheckMs));
        if (::GetQueuedCompletionStatus(m_port.Get(), &message, &key, &detail, wait) &&
            key == reinterpret_cast<ULONG_PTR>(m_job.Get()) && message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO)
            return WaitEnd::Ended;
    }
}

CProcessTree::WaitEnd CProcessTree::WaitUntilEnded(HANDLE process, unsigned long timeoutMs, const CCancelToken* cancel) {
    const unsigned long long deadline = timeoutMs ? ::GetTickCount64() + timeoutMs : kNoDeadline;
    const WaitEnd first = WaitForProcess(process, deadline, cancel);
    if (first != WaitEnd::Ended || !m_adopted) return first;
    const unsigned left = ActiveProcesses();
    if (left == 0) return WaitEnd::Ended;
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    sys::Log(L"its first process ended with exit code " + std::to_wstring(code) + L"; waiting for the " +
             std::to_wstring(left) + L" it left running");
    return WaitUntilEmpty(deadline, cancel);
}

void CProcessTree::EndAll(HANDLE process, UINT code) {
    if (!m_adopted || !::TerminateJobObject(m_job.Get(), code)) ::TerminateProcess(process, code);
    ::WaitForSingleObject(process, 5000);
}
