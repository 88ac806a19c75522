#include "ui/png_resource.h"

#include <cstring>

bool LoadPngResource(UINT id, const wchar_t* type, CPngImage& out) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found) return false;
    const DWORD size = ::SizeofResource(module, found);
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return false;

    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return false;
    if (void* target = ::GlobalLock(block)) {
        std::memcpy(target, bytes, size);
        ::GlobalUnlock(block);
    }
    CPngImage result;
    // The stream owns the block from here on and frees it when released.
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, result.stream.Put()))) {
        ::GlobalFree(block);
        return false;
    }
    result.image.reset(Gdiplus::Image::FromStream(result.stream.Get(), FALSE));
    if (!result.image || result.image->GetLastStatus() != Gdiplus::Ok) return false;
    out.image = std::move(result.image);
    out.stream = std::move(result.stream);
    return true;
}
