#include "ui/bitmap_resource.h"

std::optional<DibPixels> FindAlphaBitmap(UINT id) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_BITMAP);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    return ReadDib32(bytes, found ? ::SizeofResource(module, found) : 0);
}
