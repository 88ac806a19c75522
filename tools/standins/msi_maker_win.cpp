// Makes a Windows Installer package for the tests: msi_maker OUT CABINET
// writes a database whose one disk's files come from CABINET ("#name": one
// inside the package, else one beside it). Not installable: enough for the
// program's check of where a package's files come from, and for msiexec to
// be started on it.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>

namespace {

bool Run(MSIHANDLE database, const std::wstring& sql) {
    MSIHANDLE view = 0;
    const bool ok = ::MsiDatabaseOpenViewW(database, sql.c_str(), &view) == ERROR_SUCCESS &&
                    ::MsiViewExecute(view, 0) == ERROR_SUCCESS;
    if (view) ::MsiCloseHandle(view);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    ::DeleteFileW(argv[1]);
    MSIHANDLE database = 0;
    if (::MsiOpenDatabaseW(argv[1], reinterpret_cast<LPCWSTR>(MSIDBOPEN_CREATE), &database) != ERROR_SUCCESS) return 1;
    const bool made =
        Run(database, L"CREATE TABLE `Media` (`DiskId` SHORT NOT NULL, `LastSequence` SHORT NOT NULL, "
                      L"`DiskPrompt` CHAR(64), `Cabinet` CHAR(255), `VolumeLabel` CHAR(32), `Source` CHAR(72) "
                      L"PRIMARY KEY `DiskId`)") &&
        Run(database, L"CREATE TABLE `File` (`File` CHAR(72) NOT NULL, `Component_` CHAR(72) NOT NULL, "
                      L"`FileName` CHAR(255) NOT NULL, `FileSize` LONG NOT NULL, `Version` CHAR(72), "
                      L"`Language` CHAR(20), `Attributes` SHORT, `Sequence` SHORT NOT NULL PRIMARY KEY `File`)") &&
        Run(database, L"INSERT INTO `Media` (`DiskId`, `LastSequence`, `Cabinet`) VALUES (1, 1, '" +
                          std::wstring(argv[2]) + L"')") &&
        Run(database, L"INSERT INTO `File` (`File`, `Component_`, `FileName`, `FileSize`, `Sequence`) "
                      L"VALUES ('driver.sys', 'Driver', 'driver.sys', 1024, 1)") &&
        ::MsiDatabaseCommit(database) == ERROR_SUCCESS;
    ::MsiCloseHandle(database);
    return made ? 0 : 1;
}
