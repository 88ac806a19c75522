#include <gtest/gtest.h>

#include "sys/folder_trust.h"

TEST(FolderTrust, OnlyAdministratorsAndSystemMayChange) {
    const std::wstring admins = L"S-1-5-32-544", system = L"S-1-5-18", self = L"S-1-5-21-1-2-3-1000";
    const std::wstring everyone = L"S-1-1-0", users = L"S-1-5-32-545", creatorOwner = L"S-1-3-0";
    const unsigned long full = 0x1F01FF, readExecute = 0x1200A9;
    const struct { const char* name; FolderSecurity security; bool trusted; } cases[] = {
        {"protected admin list", {admins, true, {{true, admins, full}, {true, system, full}}}, true},
        {"owned by SYSTEM", {system, true, {{true, admins, full}}}, true},
        // The program's own user proves nothing: its unelevated processes carry that SID too.
        {"owned by the program's user", {self, true, {{true, admins, full}, {true, everyone, readExecute}}}, false},
        {"the program's user may write", {admins, true, {{true, admins, full}, {true, self, full}}}, false},
        {"the program's user may read", {admins, true, {{true, admins, full}, {true, self, readExecute}}}, true},
        {"others may only read", {admins, true, {{true, users, readExecute}, {true, everyone, readExecute}}}, true},
        {"denied write is no grant", {admins, true, {{false, everyone, full}}}, true},
        {"empty list", {admins, true, {}}, true},
        {"no list at all", {admins, false, {}}, false},
        {"owned by another user", {L"S-1-5-21-1-2-3-1001", true, {{true, admins, full}}}, false},
        {"owner unreadable", {L"", true, {{true, admins, full}}}, false},
        {"everyone may write", {admins, true, {{true, admins, full}, {true, everyone, 0x1201BF}}}, false},
        {"users may add files", {admins, true, {{true, users, 0x0002}}}, false},
        {"users may add folders", {admins, true, {{true, users, 0x0004}}}, false},
        {"users may delete", {admins, true, {{true, users, 0x00010000}}}, false},
        {"users may change rights", {admins, true, {{true, users, 0x00040000}}}, false},
        {"generic write", {admins, true, {{true, users, 0x40000000}}}, false},
        {"generic all", {admins, true, {{true, users, 0x10000000}}}, false},
        {"creator owner", {admins, true, {{true, creatorOwner, 0x10000000}}}, false},
        // Taking ownership gives the list with it; the rest change what is in the folder.
        {"users may take ownership", {admins, true, {{true, users, 0x00080000}}}, false},
        {"users may delete what is in it", {admins, true, {{true, users, 0x0040}}}, false},
        {"users may write attributes", {admins, true, {{true, users, 0x0100}}}, false},
        {"users may write extended attributes", {admins, true, {{true, users, 0x0010}}}, false},
        {"users get the most allowed", {admins, true, {{true, users, 0x02000000}}}, false},
        {"an entry of a kind not read", {admins, true, {{true, L"", ~0ul}}}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(OnlyAdministratorsMayChange(c.security, L""), c.trusted) << c.name;
    // A registry key's bits mean other things: every reader may be notified of a change, none may set a value.
    const unsigned long keyRead = 0x20019;
    const struct { const char* name; unsigned long users; bool trusted; } keys[] = {
        {"users read", keyRead, true}, {"users set values", 0x0002, false}, {"users create subkeys", 0x0004, false},
        {"users create links", 0x0020, false}, {"users change the list", 0x00040000, false}};
    for (const auto& k : keys)
        EXPECT_EQ(OnlyAdministratorsMayChange({admins, true, {{true, admins, 0xF003F}, {true, users, k.users}}}, L"",
                                              kKeyChangeRights), k.trusted) << k.name;
    // Where the platform records no owner (Wine), what it reads back as this user's counts as the administrators'.
    EXPECT_TRUE(OnlyAdministratorsMayChange({self, true, {{true, self, full}}}, self));
    EXPECT_FALSE(OnlyAdministratorsMayChange({self, true, {{true, self, full}, {true, everyone, full}}}, self));
}
