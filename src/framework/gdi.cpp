#include "framework/gdi.h"

#include <cwchar>

namespace fw {

bool CFont::CreatePointFontAt(int tenthsOfPoint, const std::wstring& face, int density) {
    LOGFONTW font = {};
    font.lfHeight = -::MulDiv(tenthsOfPoint, density, 720);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    m_font.Reset(::CreateFontIndirectW(&font));
    m_tenths = tenthsOfPoint;
    return m_font.Valid();
}

}  // namespace fw
