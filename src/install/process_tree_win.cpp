#include "install/process_tree_win.h"

#include <algorithm>
#include <string>
#include <vector>

#include "sys/log.h"
#include "sys/os_version.h"
#include "sys/settings.h"

namespace {

CallerJobObject ReadCallerJobObject() {
    CallerJobObject caller;
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
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = kSetupJobLimits;
    return ::SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation, &messages, sizeof messages) &&
           ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

// How often a wait looks at the cancel: a cancel takes effect within this.
constexpr unsigned long kCancelCheckMs = 200;

std::wstring ImageName(DWORD pid) {
    const sys::CKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!process.Valid() || !::QueryFullProcessImageNameW(process.Get(), 0, path, &size)) return L"(its name unread)";
    return path;
}

}  // namespace

CProcessTree::CProcessTree() : m_hold(ChooseTreeHold(ReadCallerJobObject())) {
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
    return CREATE_SUSPENDED | (m_hold == TreeHold::BreakAwayToOwnJobObject ? CREATE_BREAKAWAY_FROM_JOB : 0);
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

void CProcessTree::WaitForChange(HANDLE process, bool firstEnded, unsigned long ms) {
    if (!firstEnded) {
        ::WaitForSingleObject(process, ms);
        return;
    }
    // The port's message is not guaranteed: the count is asked again after the wait anyway.
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED detail = nullptr;
    ::GetQueuedCompletionStatus(m_port.Get(), &message, &key, &detail, ms);
}

void CProcessTree::LogLeftRunning(DWORD firstId) const {
    std::vector<unsigned char> buffer(sizeof(JOBOBJECT_BASIC_PROCESS_ID_LIST) + 64 * sizeof(ULONG_PTR));
    auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
    std::wstring names;
    if (::QueryInformationJobObject(m_job.Get(), JobObjectBasicProcessIdList, list, static_cast<DWORD>(buffer.size()),
                                    nullptr))
        for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i)
            if (list->ProcessIdList[i] != firstId)
                names += (names.empty() ? L"" : L", ") + ImageName(static_cast<DWORD>(list->ProcessIdList[i])) +
                         L" (" + std::to_wstring(list->ProcessIdList[i]) + L")";
    sys::Log(L"what it left running is left alone after " + std::to_wstring(g_settings.setupGraceMs) + L" ms: " +
             (names.empty() ? std::wstring(L"(not listed)") : names));
}

CProcessTree::WaitEnd CProcessTree::WaitUntilEnded(HANDLE process, unsigned long timeoutMs, unsigned long graceMs,
                                                   bool windowsInstaller, const CCancelToken* cancel) {
    const unsigned long long started = ::GetTickCount64();
    unsigned long long firstEndedAt = 0;
    bool said = false;
    for (;;) {
        const unsigned long long now = ::GetTickCount64();
        TreeFacts facts;
        facts.firstEnded = firstEndedAt != 0 || ::WaitForSingleObject(process, 0) != WAIT_TIMEOUT;
        if (facts.firstEnded && firstEndedAt == 0) firstEndedAt = now;
        facts.othersRunning = facts.firstEnded && m_adopted ? ActiveProcesses() : 0;
        facts.timeLimitReached = timeoutMs != 0 && now - started >= timeoutMs;
        facts.graceOver = facts.firstEnded && now - firstEndedAt >= graceMs;
        facts.windowsInstaller = windowsInstaller;
        facts.cancelled = cancel && cancel->Cancelled();
        switch (NextTreeStep(facts)) {
        case TreeStep::KeepWaiting: break;
        case TreeStep::Done: return WaitEnd::Ended;
        case TreeStep::LeaveOthers: LogLeftRunning(::GetProcessId(process)); return WaitEnd::Ended;
        case TreeStep::EndAll:
        case TreeStep::GiveUp: return WaitEnd::TimedOut;
        case TreeStep::Cancelled: return WaitEnd::Cancelled;
        }
        if (facts.firstEnded && !said) {
            DWORD code = 0;
            ::GetExitCodeProcess(process, &code);
            sys::Log(L"its first process ended with exit code " + std::to_wstring(code) + L"; waiting up to " +
                     std::to_wstring(graceMs) + L" ms for the " + std::to_wstring(facts.othersRunning) +
                     L" it left running");
            said = true;
        }
        // Slices short enough for the cancel, the time limit and the grace to be seen in time.
        unsigned long long slice = kCancelCheckMs;
        if (!facts.firstEnded && timeoutMs) slice = std::min<unsigned long long>(slice, started + timeoutMs - now);
        if (facts.firstEnded) slice = std::min<unsigned long long>(slice, firstEndedAt + graceMs - now);
        WaitForChange(process, facts.firstEnded, static_cast<unsigned long>(std::max<unsigned long long>(slice, 1)));
    }
}

void CProcessTree::EndAll(HANDLE process, UINT code) {
    if (!m_adopted || !::TerminateJobObject(m_job.Get(), code)) ::TerminateProcess(process, code);
    ::WaitForSingleObject(process, 5000);
}
