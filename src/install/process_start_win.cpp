#include "install/process_start_win.h"

#include <memory>
#include <thread>
#include <vector>

#include "install/process_tree_win.h"
#include "sys/environment.h"
#include "sys/handle_win.h"
#include "sys/log.h"
#include "sys/process_time_win.h"
#include "sys/settings.h"

namespace {

struct CEnvironmentTraits {
    static wchar_t* Invalid() { return nullptr; }
    static void Close(wchar_t* block) { ::FreeEnvironmentStringsW(block); }
};

// This process's environment, with TEMP and TMP set to temp.
std::wstring EnvironmentFor(const std::wstring& temp) {
    const sys::CUniqueHandle<CEnvironmentTraits, wchar_t*> own(::GetEnvironmentStringsW());
    std::wstring block;
    for (const wchar_t* at = own.Get(); at && *at; at += std::wcslen(at) + 1) block += std::wstring(at) + L'\0';
    return EnvironmentWith(block, {{L"TEMP", temp}, {L"TMP", temp}});
}

// The tree, owned by a thread of its own that tells when it has ended.
void WatchUntilEnded(std::unique_ptr<CProcessTree> tree, HANDLE process, bool windowsInstaller,
                     std::function<void()> whenEnded) {
    HANDLE own = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), process, ::GetCurrentProcess(), &own, SYNCHRONIZE |
                           PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0))
        return;
    std::shared_ptr<CProcessTree> shared(std::move(tree));
    std::thread([shared, watched = std::make_shared<sys::CKernelHandle>(own), windowsInstaller, whenEnded] {
        shared->WaitUntilEnded(watched->Get(), 0, g_settings.setupGraceMs, windowsInstaller, nullptr);
        whenEnded();
    }).detach();
}

}  // namespace

ProcessRun Launch(const ProgramCommand& command, const std::wstring& folder, DWORD flags, const WaitPlan& plan,
                      const std::wstring& temp) {
    const bool wait = plan.wait;
    ProcessRun outcome;
    if (command.application.empty()) {
        outcome.error = ERROR_BAD_EXE_FORMAT;
        sys::Log(L"not started: it is neither a program nor a Windows Installer package");
        return outcome;
    }
    std::vector<wchar_t> commandLine(command.commandLine.begin(), command.commandLine.end());
    commandLine.push_back(L'\0');
    std::wstring environment = EnvironmentFor(temp);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    sys::Log(L"running " + command.commandLine + L" (TEMP " + temp + L")");
    // What is waited for is waited for with everything it starts.
    std::unique_ptr<CProcessTree> tree = wait || plan.whenEnded ? std::make_unique<CProcessTree>() : nullptr;
    const DWORD treeFlags = tree ? tree->CreationFlags() : 0;
    if (!::CreateProcessW(command.application.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          flags | treeFlags | CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP, environment.data(),
                          folder.c_str(),
                          &startup, &info)) {
        outcome.error = ::GetLastError();
        sys::Log(L"could not start it: error " + std::to_wstring(outcome.error));
        return outcome;
    }
    const sys::CProcessHandles started(info);
    const HANDLE process = started.process.Get();
    if (treeFlags & CREATE_SUSPENDED) {
        tree->Adopt(process);
        ::ResumeThread(started.thread.Get());
    }
    outcome.started = true;
    outcome.program = {info.dwProcessId, sys::CreationTime(process)};
    if (!wait) {
        outcome.running = true;
        if (plan.whenEnded) WatchUntilEnded(std::move(tree), process, plan.windowsInstaller, plan.whenEnded);
        return outcome;
    }
    switch (tree->WaitUntilEnded(process, plan.timeoutMs, g_settings.setupGraceMs, plan.windowsInstaller, plan.cancel)) {
    case CProcessTree::WaitEnd::Ended: break;
    case CProcessTree::WaitEnd::TimedOut:
        outcome.timedOut = true;
        if (plan.windowsInstaller) {
            // The install runs in the Windows Installer service: ending msiexec would leave it
            // going, and the next install would find it busy (1618).
            sys::Log(L"it ran longer than " + std::to_wstring(plan.timeoutMs) +
                     L" ms; a Windows Installer package is not ended, it is left to finish");
            return outcome;
        }
        tree->EndAll(process, ERROR_TIMEOUT);
        sys::Log(L"it ran longer than " + std::to_wstring(plan.timeoutMs) + L" ms and was ended, with all it started");
        return outcome;
    case CProcessTree::WaitEnd::Cancelled:
        outcome.cancelled = true;
        if (plan.endOnCancel) {
            tree->EndAll(process, ERROR_CANCELLED);
            sys::Log(L"cancelled: it was ended, with all it started");
        } else {
            outcome.running = true;
            sys::Log(L"cancelled: no longer waited for; it runs on");
        }
        return outcome;
    }
    DWORD code = 0;
    outcome.exitCodeRead = ::GetExitCodeProcess(process, &code) != FALSE && code != STILL_ACTIVE;
    outcome.exitCode = code;
    sys::Log(L"it ended with exit code " + std::to_wstring(code));
    return outcome;
}
