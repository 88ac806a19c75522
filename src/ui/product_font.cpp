#include "ui/product_font.h"

void CreateProductFont(int dpi, fw::CFont& font, int tenths) {
    font.CreatePointFontAt(tenths, L"Microsoft JhengHei", dpi);
}

int FittingFontTenths(int dpi, const std::function<bool(HFONT)>& fits, fw::CFont& font) {
    int tenths = kProductFontTenths;
    for (;; tenths -= 5) {
        CreateProductFont(dpi, font, tenths);
        if (tenths <= kSmallestFontTenths || fits(font.Get())) return tenths;
    }
}
