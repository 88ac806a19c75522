#include "ui/product_font.h"

void CreateProductFont(HWND window, fw::CFont& font) {
    fw::CClientDC dc(window);
    const double scale = ::GetDeviceCaps(dc.Get(), LOGPIXELSX) / 96.0;
    font.CreatePointFont(static_cast<int>(150.0 / scale), L"Microsoft JhengHei");
}
