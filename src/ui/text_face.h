#pragma once
// The face the window's texts are drawn in, chosen by the UI language as
// Windows draws each script in its own UI font: a Traditional Chinese face
// draws Japanese kanji in Taiwanese forms and Latin quotes full width.
// Declared once, here; the window asks which of them is installed. Portable.
#include <functional>
#include <string>
#include <vector>

#include "sys/os_version.h"

// The product's own face, which every language falls back to.
constexpr const wchar_t* kProductFace = L"Microsoft JhengHei";

struct TextFaceRow {
    const wchar_t* language;  // a catalogue section; null: every other language
    const wchar_t* face;
    WindowsVersion from;      // the oldest Windows that has it (Unknown: any)
};
extern const std::vector<TextFaceRow> kTextFaces;

// The faces to try for the language on this Windows, best first, ending in the product face.
std::vector<std::wstring> FacesFor(const std::wstring& language, WindowsVersion windows);

// The first of faces that is installed; else the system's message face.
std::wstring ChooseFace(const std::vector<std::wstring>& faces,
                        const std::function<bool(const std::wstring&)>& installed, const std::wstring& messageFace);
