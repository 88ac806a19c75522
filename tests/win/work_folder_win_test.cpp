#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

#include "sys/handle_win.h"
#include "sys/work_folder_win.h"
#include "sys/utf8.h"
#include "wine_helpers_win.h"

namespace {
std::wstring CommonAppData() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_DEFAULT, path);
    return path;
}
bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
// Entry names of a folder in the order the file system lists them.
std::vector<std::wstring> Listing(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry = {};
    sys::CFindHandle find(::FindFirstFileW((folder + L"\\*.*").c_str(), &entry));
    if (!find.Valid()) return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find.Get(), &entry));
    return names;
}
std::wstring SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!sid || !::ConvertSidToStringSidW(sid, &text)) return L"?";
    const std::wstring result = text;
    ::LocalFree(text);
    return result;
}
// Who besides Administrators, SYSTEM and the owner (under Wine: this user)
// may add, remove or re-permit entries, as the folder's access list reads back.
std::vector<std::wstring> OtherWriters(const std::wstring& path) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    sys::CLocalMemory descriptor;
    std::vector<std::wstring> writers;
    if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                &owner, nullptr, &dacl, nullptr,
                                reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.Put())) != ERROR_SUCCESS)
        return {L"(unreadable)"};
    if (!dacl) return {L"(no list: everyone)"};
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!::GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        const std::wstring text = SidText(&ace->SidStart);
        const DWORD write = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                            WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
        if ((ace->Mask & write) && text != L"S-1-5-32-544" && text != L"S-1-5-18" && text != SidText(owner))
            writers.push_back(text);
    }
    return writers;
}
}  // namespace

TEST(WorkFolder, OnlyAdministratorsMayChangeItOrItsJobFolders) {
    const std::wstring root = CommonAppData() + L"\\MRL7300";
    test::RemoveTree(root);
    ASSERT_EQ(test::WorkFolder(), root);
    auto first = sys::CJobFolder::Create(), other = sys::CJobFolder::Create();
    ASSERT_TRUE(first && other);
    const std::wstring job = first->Path(), second = other->Path();
    const std::wstring mine = root + L"\\job-" + std::to_wstring(::GetCurrentProcessId()) + L"-";
    EXPECT_EQ(job.compare(0, mine.size(), mine), 0) << job;
    EXPECT_NE(job, second);
    for (const std::wstring& folder : {root, job, second}) {
        EXPECT_TRUE(IsFolder(folder)) << folder;
        EXPECT_EQ(OtherWriters(folder), std::vector<std::wstring>{}) << folder;
    }
    first.reset();
    other.reset();

    // One that everyone may write to is moved aside, never used, and made anew.
    test::RemoveTree(root);
    ASSERT_TRUE(::CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(test::LetEveryoneWrite(root));
    ASSERT_NE(OtherWriters(root), std::vector<std::wstring>{});  // what the attacker's folder reads back as
    ::CreateDirectoryW((root + L"\\!").c_str(), nullptr);
    ::CopyFileW((test::ProgramFolder() + L"os_version_probe.exe").c_str(), (root + L"\\!\\Setup.exe").c_str(), FALSE);
    EXPECT_EQ(test::WorkFolder(L"Setup.exe"), root + L"\\Setup.exe");
    EXPECT_EQ(OtherWriters(root), std::vector<std::wstring>{});
    EXPECT_EQ(Listing(root), std::vector<std::wstring>{});
    std::vector<std::wstring> aside;
    for (const std::wstring& name : Listing(CommonAppData()))
        if (name.rfind(L"MRL7300.untrusted-", 0) == 0) aside.push_back(name);
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_TRUE(Exists(CommonAppData() + L"\\" + aside[0] + L"\\!\\Setup.exe"));
    test::RemoveTree(CommonAppData() + L"\\" + aside[0]);
}

// While a job works in them, its folder and the work folder cannot be
// renamed, replaced or deleted; the job removes its own through handles.
TEST(WorkFolder, HeldFoldersCannotBeMovedAside) {
    test::RemoveTree(CommonAppData() + L"\\MRL7300");
    auto job = sys::CJobFolder::Create();
    ASSERT_TRUE(job);
    const std::wstring path = job->Path(), work = test::WorkFolder();
    ASSERT_TRUE(::CreateDirectoryW((path + L"\\package").c_str(), nullptr));
    std::ofstream(std::filesystem::path(path + L"\\package\\Setup.exe")) << "x";
    for (const std::wstring& held : {path, work}) {
        EXPECT_FALSE(::MoveFileW(held.c_str(), (held + L".aside").c_str())) << held;
        EXPECT_FALSE(::RemoveDirectoryW(held.c_str())) << held;
        EXPECT_TRUE(IsFolder(held)) << held;
    }
    job->Remove();
    EXPECT_FALSE(Exists(path));
    EXPECT_TRUE(IsFolder(work));
    job.reset();
    EXPECT_TRUE(::MoveFileW(work.c_str(), (work + L".aside").c_str()));  // nothing holds it now
    test::RemoveTree(work + L".aside");
}

// A standard user may make the work folder first and keep it open, so that
// it can be neither used nor moved aside: the run then works in a new folder
// of its own beside it, and a later run removes what no longer runs from such
// folders, and the folders moved aside.
TEST(WorkFolder, OneOthersHoldOpenIsLeftAndTheRunWorksBesideIt) {
    const std::wstring root = CommonAppData() + L"\\MRL7300";
    test::RemoveTree(root);
    ASSERT_TRUE(::CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(test::LetEveryoneWrite(root));
    sys::CHeldFolder held = sys::CHeldFolder::Open(root);  // shares no deletion: no rename
    ASSERT_TRUE(held.Valid());
    auto job = sys::CJobFolder::Create();
    ASSERT_TRUE(job);
    const std::wstring own = job->Path().substr(0, job->Path().find_last_of(L'\\'));
    EXPECT_EQ(own.rfind(root + L".run-", 0), 0u) << own;
    EXPECT_EQ(OtherWriters(own), std::vector<std::wstring>{});
    EXPECT_TRUE(IsFolder(job->TempPath()));
    job->Remove();
    job.reset();
    held.Close();
    // Later: this run's folder is empty and one was moved aside.
    const std::wstring aside = root + L".untrusted-1";
    ASSERT_TRUE(::CreateDirectoryW(aside.c_str(), nullptr));
    test::RemoveTree(root);
    sys::RemoveOldWorkFolders(sys::GetWorkFolder());
    EXPECT_FALSE(Exists(own));
    EXPECT_FALSE(Exists(aside));
    EXPECT_TRUE(IsFolder(root));
}

// The first job of a run removes what earlier runs left, except the folders
// of programs that still run from them, known by their id and start time.
TEST(WorkFolder, ARunningEarlierSetupKeepsItsFolder) {
    test::RemoveTree(CommonAppData() + L"\\MRL7300");
    const std::wstring work = test::WorkFolder();
    test::CTempFolder settings(L"standin");
    std::ofstream(std::filesystem::path(settings.Path() + L"\\wifi.cfg")) << "0 20000";
    ::SetEnvironmentVariableW(L"INSTALLER_WIFI_STANDIN", (settings.Path() + L"\\wifi").c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::wstring line = L"\"" + test::ProgramFolder() + L"wifi_setup_standin.exe\"";
    ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    const sys::CProcessHandles running(info);
    FILETIME created = {}, unused1 = {}, unused2 = {}, unused3 = {};
    ::GetProcessTimes(info.hProcess, &created, &unused1, &unused2, &unused3);
    const unsigned long long stamp = (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    // Folders of installer processes that are gone; one carries this process's id.
    const std::wstring self = L"job-" + std::to_wstring(::GetCurrentProcessId()) + L"-1-1";
    const struct { std::wstring name; const char* note; bool kept; } cases[] = {
        {L"job-3-1-1", nullptr, false},
        {L"job-3-1-2", "running", true},
        {L"job-3-1-3", "reused id", false},  // the id, but not the start time, of the running program
        {L"job-5-1-1", "ended", false},
        {self, nullptr, false},  // ids are reused: an earlier process's, not ours
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(::CreateDirectoryW((work + L"\\" + c.name).c_str(), nullptr)) << c.name;
        std::ofstream(std::filesystem::path(work + L"\\" + c.name + L"\\Setup.exe")) << "x";
        if (!c.note) continue;
        const std::string note = std::string(c.note) == "running"   ? StartedNoteLine({info.dwProcessId, stamp})
                                 : std::string(c.note) == "reused id" ? StartedNoteLine({info.dwProcessId, stamp + 1})
                                                                     : StartedNoteLine({5, 1});
        std::ofstream(std::filesystem::path(work + L"\\" + c.name + kStartedNoteSuffix)) << note;
    }
    std::ofstream(std::filesystem::path(work + L"\\Setup.exe")) << "planted";
    // Broken-off downloads stay for a later run to continue, within their days.
    const std::wstring partial = work + L"\\partial\\";
    ASSERT_TRUE(::CreateDirectoryW(partial.c_str(), nullptr));
    for (const wchar_t* name : {L"fresh.part", L"fresh.json", L"old.part", L"old.json", L"lone.json", L"x.exe"})
        std::ofstream(std::filesystem::path(partial + name)) << "x";
    std::filesystem::last_write_time(partial + L"old.part",
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(8 * 24));
    ASSERT_TRUE(sys::IsRunning({info.dwProcessId, stamp}));
    {
        const sys::CHeldFolder held = sys::GetWorkFolder();
        sys::CleanWorkFolder(held);
    }
    for (const auto& c : cases) {
        EXPECT_EQ(IsFolder(work + L"\\" + c.name), c.kept) << std::string(c.name.begin(), c.name.end());
        EXPECT_EQ(Exists(work + L"\\" + c.name + kStartedNoteSuffix), c.kept) << std::string(c.name.begin(), c.name.end());
    }
    EXPECT_FALSE(Exists(work + L"\\Setup.exe"));
    for (const wchar_t* name : {L"fresh.part", L"fresh.json", L"old.part", L"old.json", L"lone.json", L"x.exe"})
        EXPECT_EQ(Exists(partial + name), std::wstring(name).rfind(L"fresh", 0) == 0) << WideToUtf8(name);
    ::TerminateProcess(info.hProcess, 0);
    ::WaitForSingleObject(info.hProcess, 5000);
    EXPECT_FALSE(sys::IsRunning({info.dwProcessId, stamp}));
    {
        const sys::CHeldFolder held = sys::GetWorkFolder();
        sys::CleanWorkFolder(held);
    }
    EXPECT_FALSE(Exists(work + L"\\job-3-1-2"));
    ::SetEnvironmentVariableW(L"INSTALLER_WIFI_STANDIN", nullptr);
}

TEST(WorkFolder, IsCreatedOnDemandUnderCommonAppData) {
    const std::wstring expected = CommonAppData() + L"\\MRL7300";
    test::RemoveTree(expected);
    ASSERT_FALSE(Exists(expected));
    EXPECT_EQ(test::WorkFolder(), expected);
    EXPECT_TRUE(IsFolder(expected));
    EXPECT_EQ(test::WorkFolder(), expected);  // already there
}
