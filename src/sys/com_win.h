#pragma once
// RAII for COM: the apartment initialisation of one call, interface pointers,
// BSTRs and VARIANTs.
#include <objbase.h>
#include <oleauto.h>

namespace sys {

// Undoes only what this object did: S_OK and S_FALSE are undone, a thread
// already in another apartment (RPC_E_CHANGED_MODE) is left as it was.
class CComInit {
public:
    explicit CComInit(DWORD model) : m_hr(::CoInitializeEx(nullptr, model)) {}
    ~CComInit() { if (SUCCEEDED(m_hr)) ::CoUninitialize(); }
    CComInit(const CComInit&) = delete;
    CComInit& operator=(const CComInit&) = delete;
    bool Usable() const { return SUCCEEDED(m_hr) || m_hr == RPC_E_CHANGED_MODE; }
private:
    HRESULT m_hr;
};

template <class T>
class CComPtr {
public:
    CComPtr() = default;
    ~CComPtr() { Reset(); }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;
    CComPtr(CComPtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    CComPtr& operator=(CComPtr&& other) noexcept {
        if (this != &other) { Reset(); m_p = other.m_p; other.m_p = nullptr; }
        return *this;
    }
    void Reset() { if (m_p) { m_p->Release(); m_p = nullptr; } }
    T** Put() { Reset(); return &m_p; }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
private:
    T* m_p = nullptr;
};

class CBstr {
public:
    explicit CBstr(const wchar_t* text) : m_s(::SysAllocString(text)) {}
    ~CBstr() { ::SysFreeString(m_s); }
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    BSTR Get() const { return m_s; }
private:
    BSTR m_s;
};

class CVariant {
public:
    CVariant() { ::VariantInit(&m_v); }
    ~CVariant() { ::VariantClear(&m_v); }
    CVariant(const CVariant&) = delete;
    CVariant& operator=(const CVariant&) = delete;
    VARIANT* Put() { ::VariantClear(&m_v); return &m_v; }
    const VARIANT& Get() const { return m_v; }
private:
    VARIANT m_v;
};

}  // namespace sys
