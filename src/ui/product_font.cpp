#include "ui/product_font.h"

#include "sys/log.h"
#include "sys/os_version.h"
#include "ui/text_face.h"

namespace {

std::wstring& ChosenFace() {
    static std::wstring face = kProductFace;
    return face;
}

int CALLBACK FoundFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

std::wstring MessageFace() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return L"";
    return metrics.lfMessageFont.lfFaceName;
}

}  // namespace

bool FaceInstalled(const std::wstring& face) {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    LOGFONTW wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    face.copy(wanted.lfFaceName, face.size());
    HDC screen = ::GetDC(nullptr);
    bool found = false;
    ::EnumFontFamiliesExW(screen, &wanted, FoundFamily, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, screen);
    return found;
}

void UseTextFaceFor(const std::wstring& language) {
    const std::vector<std::wstring> faces = FacesFor(language, WindowsSoFar());
    ChosenFace() = ChooseFace(faces, FaceInstalled, MessageFace());
    sys::Log(L"texts in " + language + L" drawn in \"" + ChosenFace() + L"\"" +
             (ChosenFace() == faces.front() ? L"" : L" (\"" + faces.front() + L"\" is not installed)"));
}

const std::wstring& TextFace() { return ChosenFace(); }

void CreateProductFont(int dpi, fw::CFont& font, int tenths, const std::wstring& face) {
    font.CreatePointFontAt(tenths, face, dpi);
}

int FittingFontTenths(int dpi, const std::function<bool(HFONT)>& fits, fw::CFont& font) {
    int tenths = kProductFontTenths;
    for (;; tenths -= 5) {
        CreateProductFont(dpi, font, tenths);
        if (tenths <= kSmallestFontTenths || fits(font.Get())) return tenths;
    }
}
