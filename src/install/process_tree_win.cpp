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
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT messages = {job, port};
    return ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) &&
           ::SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation, &messages, sizeof messages);
}

constexpr unsigned long long kNoDeadline = ~0ull;

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

bool CProcessTree::WaitUntilEmpty(unsigned long long deadline) {
    // The port's message is not guaranteed: the count is asked every second as well.
    for (;;) {
        if (ActiveProcesses() == 0) return true;
        const unsigned long long now = ::GetTickCount64();
        if (now >= deadline) return false;
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED detail = nullptr;
        const DWORD wait = static_cast<DWORD>(std::min<unsigned long long>(deadline - now, 1000));
        if (::GetQueuedCompletionStatus(m_port.Get(), &message, &key, &detail, wait) &&
            key == reinterpret_cast<ULONG_PTR>(m_job.Get()) && message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO)
            return true;
    }
}

bool CProcessTree::WaitUntilEnded(HANDLE process, unsigned long timeoutMs) {
    const unsigned long long deadline = timeoutMs ? ::GetTickCount64() + timeoutMs : kNoDeadline;
    if (::WaitForSingleObject(process, timeoutMs ? timeoutMs : INFINITE) == WAIT_TIMEOUT) return false;
    if (!m_adopted) return true;
    const unsigned left = ActiveProcesses();
    if (left == 0) return true;
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    sys::Log(L"its first process ended with exit code " + std::to_wstring(code) + L"; waiting for the " +
             std::to_wstring(left) + L" it left running");
    return WaitUntilEmpty(deadline);
}

void CProcessTree::EndAll(HANDLE process, UINT code) {
    if (!m_adopted || !::TerminateJobObject(m_job.Get(), code)) ::TerminateProcess(process, code);
    ::WaitForSingleObject(process, 5000);
}
