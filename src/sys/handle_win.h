#pragma once
// One move-only owner for every kind of Win32 handle; the traits say which
// value is invalid and how the handle is closed.
#include <windows.h>

namespace sys {

template <class Traits, class T = HANDLE>
class CUniqueHandle {
public:
    explicit CUniqueHandle(T h = Traits::Invalid()) : m_h(h) {}
    ~CUniqueHandle() { Reset(); }
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.Release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;

    void Reset(T h = Traits::Invalid()) {
        if (m_h != Traits::Invalid()) Traits::Close(m_h);
        m_h = h;
    }
    T Get() const { return m_h; }
    T* Put() { Reset(); return &m_h; }  // for out-parameters
    T Release() { T h = m_h; m_h = Traits::Invalid(); return h; }
    bool Valid() const { return m_h != Traits::Invalid(); }

private:
    T m_h;
};

struct CFileHandleTraits {  // CreateFileW, FindFirstFileW's kin fail with INVALID_HANDLE_VALUE
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct CKernelHandleTraits {  // process, thread, event handles fail with NULL
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct CFindHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};

struct CLocalMemoryTraits {  // what the system allocated with LocalAlloc for us
    static HLOCAL Invalid() { return nullptr; }
    static void Close(HLOCAL h) { ::LocalFree(h); }
};

struct CKeyTraits {  // a registry key; null when none is open
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY key) { ::RegCloseKey(key); }
};

using CFileHandle = CUniqueHandle<CFileHandleTraits>;
using CKeyHandle = CUniqueHandle<CKeyTraits, HKEY>;
using CKernelHandle = CUniqueHandle<CKernelHandleTraits>;
using CFindHandle = CUniqueHandle<CFindHandleTraits>;
using CLocalMemory = CUniqueHandle<CLocalMemoryTraits, HLOCAL>;

// Both handles of a started process, owned from the moment it started.
struct CProcessHandles {
    explicit CProcessHandles(const PROCESS_INFORMATION& info) : process(info.hProcess), thread(info.hThread) {}
    CKernelHandle process, thread;
};

}  // namespace sys
