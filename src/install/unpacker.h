#pragma once
// What unpacks an archive package, declared once: the program delivered
// beside the installer, the hash it must have, the one format it is told for
// a package's name, its command line, how long it may take, and which exit
// codes say the package was unpacked. A second unpacker (Windows' own
// expand for .cab, say) is a row of the table in unpacker.cpp. Portable.
#include <string>

struct Unpacker {
    const char* name;         // for the log: "7-Zip"
    const wchar_t* delivered;  // beside the installer: L"data\\7za.exe"
    const wchar_t* copyName;   // its copy in the job's folder, which is what runs
    // The format it is told for a package of this name; empty: not one it takes.
    std::wstring (*FormatOf)(const std::wstring& packageName);
    // Its arguments: unpack archive, of format, into folder, asking nothing.
    std::wstring (*Arguments)(const std::wstring& format, const std::wstring& archive, const std::wstring& into);
    // Whether its exit code says the package was unpacked.
    bool (*Unpacked)(unsigned long exitCode);
    // The SHA-256 (lower-case hex) its copy must have; from the build.
    const std::string& (*Pin)();
    // The longest it may run, ms.
    unsigned long (*TimeLimitMs)();
};

// The unpacker that takes a package of this name; null when none does.
const Unpacker* UnpackerFor(const std::wstring& packageName);
