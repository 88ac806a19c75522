#include "ui/bitmap_resource.h"

#include <cstring>

#include "ui/dib_pixels.h"

std::unique_ptr<Gdiplus::Bitmap> LoadAlphaBitmapResource(UINT id) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_BITMAP);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    const auto pixels = ReadDib32(bytes, found ? ::SizeofResource(module, found) : 0);
    if (!pixels) return nullptr;

    auto bitmap = std::make_unique<Gdiplus::Bitmap>(pixels->width, pixels->height, PixelFormat32bppARGB);
    if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Rect all(0, 0, pixels->width, pixels->height);
    Gdiplus::BitmapData target{};
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &target) != Gdiplus::Ok)
        return nullptr;
    for (int row = 0; row < pixels->height; ++row)
        std::memcpy(static_cast<BYTE*>(target.Scan0) + row * target.Stride,
                    pixels->topRow + row * pixels->stride, pixels->width * 4);
    bitmap->UnlockBits(&target);
    return bitmap;
}
