#include <gtest/gtest.h>

#include "sys/volume_trust.h"

// A folder's security counts only on a local fixed disk with persistent
// access lists that nobody plugs in or mounts from a file, or under a place
// the machine's policy names; whatever could not be asked counts against it.
TEST(VolumeTrust, OnlyALocalFixedDiskOrAPlaceThePolicyNames) {
    VolumeFacts local;
    local.path = L"C:\\Layouts\\MRL7300";
    local.driveType = 3;
    local.aclsKnown = local.persistentAcls = local.storageKnown = true;
    local.busType = 0xB;  // SATA
    const auto with = [&](auto change) {
        VolumeFacts facts = local;
        change(facts);
        return facts;
    };
    const std::vector<std::wstring> none, policy = {L"\\\\server\\drivers\\", L"E:\\Approved"};
    const struct { const char* name; VolumeFacts facts; const std::vector<std::wstring>& roots; bool trusted; } cases[] = {
        {"a local SATA disk", local, none, true},
        {"NVMe", with([](VolumeFacts& f) { f.busType = 0x11; }), none, true},
        {"a removable drive", with([](VolumeFacts& f) { f.driveType = 2; }), none, false},
        {"a CD", with([](VolumeFacts& f) { f.driveType = 5; }), none, false},
        {"drive kind unknown", with([](VolumeFacts& f) { f.driveType = 0; }), none, false},
        {"a fixed USB disk", with([](VolumeFacts& f) { f.busType = 7; }), none, false},
        {"an SD card", with([](VolumeFacts& f) { f.busType = 0xC; }), none, false},
        {"FireWire", with([](VolumeFacts& f) { f.busType = 4; }), none, false},
        {"a mounted VHD", with([](VolumeFacts& f) { f.busType = 0xF; }), none, false},
        {"bus unknown", with([](VolumeFacts& f) { f.busType = 0; }), none, false},
        {"removable media on a fixed bus", with([](VolumeFacts& f) { f.removableMedia = true; }), none, false},
        {"storage not answering", with([](VolumeFacts& f) { f.storageKnown = false; }), none, false},
        {"FAT: no access lists", with([](VolumeFacts& f) { f.persistentAcls = false; }), none, false},
        {"flags unreadable", with([](VolumeFacts& f) { f.aclsKnown = false; }), none, false},
        {"a share", with([](VolumeFacts& f) { f.remote = true; f.driveType = 4; f.path = L"\\\\server\\drivers\\MRL7300"; }),
         none, false},
        {"a share the policy names", with([](VolumeFacts& f) { f.remote = true; f.driveType = 4; f.path = L"\\\\SERVER\\Drivers\\MRL7300"; }),
         policy, true},
        {"a share beside the one named", with([](VolumeFacts& f) { f.remote = true; f.path = L"\\\\server\\drivers2\\x"; }),
         policy, false},
        {"a stick under a named root", with([](VolumeFacts& f) { f.driveType = 2; f.path = L"E:\\Approved\\x"; }), policy, true},
        {"a stick beside it", with([](VolumeFacts& f) { f.driveType = 2; f.path = L"E:\\ApprovedNot\\x"; }), policy, false},
        {"a path not known", with([](VolumeFacts& f) { f.driveType = 2; f.path.clear(); }), policy, false},
    };
    for (const auto& c : cases) {
        const std::string why = LocationDistrust(c.facts, c.roots);
        EXPECT_EQ(why.empty(), c.trusted) << c.name << ": " << why;
    }
    EXPECT_EQ(LocationDistrust(with([](VolumeFacts& f) { f.driveType = 2; }), none),
              "on a removable drive, which no machine policy names as a trusted layout place");
}

TEST(VolumeTrust, UnderRootComparesWholeParts) {
    const struct { const wchar_t* path; const wchar_t* root; bool under; } cases[] = {
        {L"\\\\?\\UNC\\srv\\share\\x", L"\\\\srv\\share", true},
        {L"\\\\?\\C:\\Layouts\\a", L"c:/layouts/", true},
        {L"C:\\Layouts", L"C:\\Layouts", true},
        {L"C:\\LayoutsOther", L"C:\\Layouts", false},
        {L"C:\\", L"C:\\Layouts", false},
        {L"D:\\x", L"", false},
        {L"D:\\x", L"\\", false},
        {L"D:\\x", L"D:\\", true},
    };
    for (const auto& c : cases) EXPECT_EQ(UnderRoot(c.path, c.root), c.under) << c.path << " " << c.root;
}
