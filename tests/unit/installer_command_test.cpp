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
    for (const auto& c : cases) {
        const ProgramCommand command = InstallerCommand(c.path, system, c.arguments);
        EXPECT_EQ(command.application, c.application) << c.path;
        EXPECT_EQ(command.commandLine, c.commandLine) << c.path;
    }
    EXPECT_EQ(ProgramWithArguments(L"C:\\a b\\7za.exe", L"x -tzip").commandLine, L"\"C:\\a b\\7za.exe\" x -tzip");
}
