#include <gtest/gtest.h>

#include "install/installer_command.h"

// Started without the shell: the file itself, or the system's msiexec for a
// Windows Installer package; never a verb the user's registry could redirect.
TEST(InstallerCommand, ExeItselfMsiThroughTheSystemsMsiexec) {
    const std::wstring system = L"C:\\Windows\\System32";
    const struct { const wchar_t* path; const wchar_t* arguments; const wchar_t* application; const wchar_t* commandLine; } cases[] = {
        {L"C:\\W\\job-1\\rx.exe", L"", L"C:\\W\\job-1\\rx.exe", L"\"C:\\W\\job-1\\rx.exe\""},
        {L"C:\\W\\job 1\\Setup.EXE", L"/S /v\"/qn\"", L"C:\\W\\job 1\\Setup.EXE",
         L"\"C:\\W\\job 1\\Setup.EXE\" /S /v\"/qn\""},
        {L"C:\\W\\job-1\\hs.MSI", L"", L"C:\\Windows\\System32\\msiexec.exe",
         L"\"C:\\Windows\\System32\\msiexec.exe\" /i \"C:\\W\\job-1\\hs.MSI\""},
        {L"C:\\W\\job-1\\hs.msi", L"/qn /norestart", L"C:\\Windows\\System32\\msiexec.exe",
         L"\"C:\\Windows\\System32\\msiexec.exe\" /i \"C:\\W\\job-1\\hs.msi\" /qn /norestart"},
    };
    // Anything else is started by no program at all: never through cmd.exe or the shell.
    for (const wchar_t* other : {L"C:\\W\\job-1\\x.cmd", L"C:\\W\\job-1\\x.bat", L"C:\\W\\job-1\\x.exe.lnk",
                                 L"C:\\W\\job-1\\x.ps1", L"C:\\W\\job-1\\setup"})
        EXPECT_EQ(InstallerCommand(other, system, L"").application, L"") << std::wstring(other).size();
    for (const auto& c : cases) {
        const ProgramCommand command = InstallerCommand(c.path, system, c.arguments);
        EXPECT_EQ(command.application, c.application) << c.path;
        EXPECT_EQ(command.commandLine, c.commandLine) << c.path;
    }
    EXPECT_EQ(ProgramWithArguments(L"C:\\a b\\7za.exe", L"x -tzip").commandLine, L"\"C:\\a b\\7za.exe\" x -tzip");
}

// A downloaded .msi brings nothing beside itself: only one whose every
// cabinet is inside it (or that has no files) can install.
TEST(InstallerCommand, AnMsiMustCarryItsOwnCabinets) {
    const struct { const char* name; MsiMedia media; bool refused; } cases[] = {
        {"one cabinet inside", {true, {L"#product.cab"}, 40}, false},
        {"two inside", {true, {L"#a.cab", L"#b.cab"}, 40}, false},
        {"a cabinet beside it", {true, {L"#a.cab", L"disk2.cab"}, 40}, true},
        {"uncompressed files beside it", {true, {L""}, 40}, true},
        {"no files at all", {true, {L""}, 0}, false},
        {"no disk named", {true, {}, 40}, true},
        {"tables unreadable", {false, {}, 0}, true},
    };
    for (const auto& c : cases) EXPECT_EQ(!MsiSourceRefusal(c.media).empty(), c.refused) << c.name;
}
