// A Windows Installer package's Media and File tables, read through msi.dll.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include "install/held_file_win.h"
#include "sys/handle_win.h"

namespace {

struct CMsiTraits {
    static MSIHANDLE Invalid() { return 0; }
    static void Close(MSIHANDLE h) { ::MsiCloseHandle(h); }
};
using CMsiHandle = sys::CUniqueHandle<CMsiTraits, MSIHANDLE>;

// Each row of the query, its first column as text; false when it cannot be run.
bool EachRow(MSIHANDLE database, const wchar_t* query, std::vector<std::wstring>& values) {
    CMsiHandle view;
    if (::MsiDatabaseOpenViewW(database, query, view.Put()) != ERROR_SUCCESS ||
        ::MsiViewExecute(view.Get(), 0) != ERROR_SUCCESS)
        return false;
    for (;;) {
        CMsiHandle record;
        const UINT fetched = ::MsiViewFetch(view.Get(), record.Put());
        if (fetched == ERROR_NO_MORE_ITEMS) return true;
        if (fetched != ERROR_SUCCESS) return false;
        wchar_t text[512] = {};
        DWORD size = 512;
        if (::MsiRecordGetStringW(record.Get(), 1, text, &size) != ERROR_SUCCESS) return false;
        values.emplace_back(text, size);
    }
}

}  // namespace

MsiMedia CWindowsHeldFile::WindowsInstallerMedia() {
    MsiMedia media;
    CMsiHandle database;
    // Read-only; the file stays held by us meanwhile, so it is the one checked.
    if (::MsiOpenDatabaseW(Path().c_str(), reinterpret_cast<LPCWSTR>(MSIDBOPEN_READONLY), database.Put()) != ERROR_SUCCESS) return media;
    std::vector<std::wstring> files;
    media.read = EachRow(database.Get(), L"SELECT `Cabinet` FROM `Media`", media.cabinets) &&
                 EachRow(database.Get(), L"SELECT `File` FROM `File`", files);
    media.files = static_cast<unsigned long>(files.size());
    return media;
}
