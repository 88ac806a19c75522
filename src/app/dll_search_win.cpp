#include "app/dll_search_win.h"

#include <windows.h>
#include <delayimp.h>

#include <string>

#include "delayed_dlls.h"
#include "sys/platform.h"
#include "sys/text_util.h"

namespace {

// Whether the program's manifest binds the DLL to a side-by-side assembly
// (common controls 6): the system takes that from WinSxS, searching no folder.
bool BoundToAssembly(const std::wstring& name) {
    ACTCTX_SECTION_KEYED_DATA data = {};
    data.cbSize = sizeof data;
    return ::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, name.c_str(), &data) !=
           FALSE;
}

// A DLL by its full path in System32 (its own imports are looked for there
// first too), or from WinSxS when the manifest names its assembly. Never the
// search by name instead: the program ends without it.
HMODULE LoadFromSystem32(const std::wstring& name) {
    const std::wstring folder = sys::SystemFolder();
    HMODULE module = nullptr;
    if (BoundToAssembly(name)) module = ::LoadLibraryW(name.c_str());
    else if (!folder.empty())
        module = ::LoadLibraryExW(JoinPath(folder, name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) ::ExitProcess(ERROR_MOD_NOT_FOUND);
    return module;
}

// Every DLL imported on demand, from System32, whatever the search order
// offers: Windows 7 without KB2533623 has no SetDefaultDllDirectories and
// would look in the program's folder first.
FARPROC WINAPI DelayLoadHook(unsigned notify, PDelayLoadInfo info) {
    if (notify != dliNotePreLoadLibrary) return nullptr;
    return reinterpret_cast<FARPROC>(LoadFromSystem32(Widen(info->szDll)));
}

}  // namespace

bool LimitDllSearchToSystem32() {
    __pfnDliNotifyHook2 = DelayLoadHook;
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    // Looked up, not imported: Windows 7 has it only with an update.
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
#ifdef INSTALLER_PRETEND_NO_DEFAULT_DLL_DIRECTORIES  // a test build: Windows 7 without the update
    setDefault = nullptr;
#endif
    ::SetDllDirectoryW(L"");
    if (setDefault) return setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
    // Without it Windows loads DLLs by bare name (comctl32 its uxtheme, the
    // security calls ntmarta) from the program's folder first. What the
    // refusal's message box needs is loaded from System32 now, so that those
    // names are taken by the time they are asked for; nothing else runs.
    for (const wchar_t* name : build::kDelayedDlls) LoadFromSystem32(name);
    return false;
}
