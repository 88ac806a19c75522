#include "ui/text_face.h"

#include <algorithm>

const std::vector<TextFaceRow> kTextFaces = {
    {L"cht", kProductFace, WindowsVersion::Unknown},
    {L"chs", L"Microsoft YaHei UI", WindowsVersion::Unknown},
    {L"jpn", L"Yu Gothic UI", WindowsVersion::Win81},
    {L"jpn", L"Meiryo UI", WindowsVersion::Unknown},
    {L"kor", L"Malgun Gothic", WindowsVersion::Unknown},
    {nullptr, L"Segoe UI", WindowsVersion::Unknown},  // Latin and Cyrillic
};

std::vector<std::wstring> FacesFor(const std::wstring& language, WindowsVersion windows) {
    const bool own = std::any_of(kTextFaces.begin(), kTextFaces.end(),
                                 [&](const TextFaceRow& row) { return row.language && language == row.language; });
    std::vector<std::wstring> faces;
    for (const TextFaceRow& row : kTextFaces) {
        const bool mine = own ? row.language && language == row.language : !row.language;
        // A Windows not known to be old enough may still have it: the installed check decides.
        const bool there = row.from == WindowsVersion::Unknown || windows == WindowsVersion::Unknown ||
                           AtLeast(windows, row.from);
        if (mine && there) faces.push_back(row.face);
    }
    if (std::find(faces.begin(), faces.end(), kProductFace) == faces.end()) faces.push_back(kProductFace);
    return faces;
}

std::wstring ChooseFace(const std::vector<std::wstring>& faces,
                        const std::function<bool(const std::wstring&)>& installed, const std::wstring& messageFace) {
    for (const std::wstring& face : faces)
        if (installed(face)) return face;
    return messageFace;
}
