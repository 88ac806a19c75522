#include "i18n/language_code.h"

namespace {

bool IsOneOf(unsigned short id, std::initializer_list<unsigned short> ids) {
    for (unsigned short candidate : ids)
        if (candidate == id) return true;
    return false;
}

bool IsSpanish(unsigned short id) {
    // 0x040A, 0x080A ... 0x500A: primary language 0x0A with sublanguages 1 to 20.
    const unsigned sublanguage = id >> 10;
    return (id & 0x3FF) == 0x0A && sublanguage >= 1 && sublanguage <= 20;
}

}  // namespace

std::wstring LanguageCodeForLangId(unsigned short id) {
    if (IsOneOf(id, {0x0404, 0x0C04})) return L"cht";
    if (IsOneOf(id, {0x0804, 0x1004})) return L"chs";
    if (id == 0x0411) return L"jpn";
    if (id == 0x0412) return L"kor";
    if (IsOneOf(id, {0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C})) return L"fr";
    if (IsOneOf(id, {0x0410, 0x0810})) return L"ita";
    if (IsOneOf(id, {0x0416, 0x0816})) return L"por";
    if (id == 0x0419) return L"rus";
    if (IsSpanish(id)) return L"es";
    if (IsOneOf(id, {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407})) return L"deu";
    return L"eng";
}
