#include "install/unpacker.h"

#include "sys/settings.h"
#include "sys/text_util.h"

namespace {

// 7-Zip is told the one format the name says: it would otherwise guess from
// the content, and open a format nobody meant to ship.
std::wstring SevenZipFormat(const std::wstring& packageName) {
    const std::wstring name = Lower(packageName);
    if (EndsWith(name, L".zip")) return L"-tzip";
    if (EndsWith(name, L".7z")) return L"-t7z";
    return std::wstring();
}

// Every question answered yes; the dummy password makes an encrypted archive
// fail instead of asking.
std::wstring SevenZipArguments(const std::wstring& format, const std::wstring& archive, const std::wstring& into) {
    return L"x " + format + L" " + Quoted(archive) + L" -o" + Quoted(into) + L" -p- -y";
}

// 7-Zip: 1 is a warning, 2 and up an error.
bool SevenZipUnpacked(unsigned long exitCode) { return exitCode < 2; }

const std::string& ArchiverPin() { return g_settings.archiverSha256; }
unsigned long ArchiverTimeLimit() { return g_settings.archiverTimeoutMs; }

const Unpacker kUnpackers[] = {
    {"7-Zip", L"data\\7za.exe", L"7za.exe", SevenZipFormat, SevenZipArguments, SevenZipUnpacked, ArchiverPin,
     ArchiverTimeLimit},
};

}  // namespace

const Unpacker* UnpackerFor(const std::wstring& packageName) {
    for (const Unpacker& unpacker : kUnpackers)
        if (!unpacker.FormatOf(packageName).empty()) return &unpacker;
    return nullptr;
}
