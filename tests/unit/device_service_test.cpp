#include <gtest/gtest.h>

#include "net/device_service.h"

TEST(DeviceService, RequestAddresses) {
    const std::string saved = g_serviceHost;
    g_serviceHost = "devices.example:8443";
    EXPECT_EQ(BluetoothRequestUrl(9), "https://devices.example:8443/api/rx/RealtekDrivers"
                                      "?os=win10&wirelessType=bluetooth&wirelessProduct=8821CU");
    EXPECT_EQ(ResourceUrl(kReceiverResource), "https://devices.example:8443/api/rx/QuilloRXApp");
    EXPECT_EQ(ResourceUrl(kHotspotResource), "https://devices.example:8443/api/rx/TWHotspot");
    g_serviceHost = saved;
    const struct { int osClass; const char* value; } cases[] = {
        {0, "win7"}, {1, "win7"}, {5, "win7"}, {6, "win7"}, {7, "win8"}, {8, "win8"}, {9, "win10"}};
    for (const auto& c : cases) EXPECT_EQ(OsValueForClass(c.osClass), c.value) << c.osClass;
}

TEST(DeviceService, ReadsOnlyUsableAnswers) {
    const struct { const char* body; bool usable; AnswerKind kind = AnswerKind::Unusable; } cases[] = {
        {R"({"status":true,"downloadURL":"https://h/a.zip"})", true, AnswerKind::Usable},
        {R"({"status":1,"downloadURL":"https://h/a.zip"})", true, AnswerKind::Usable},
        {R"({"status":2.5,"downloadURL":"https://h/a.zip","other":[1]})", true, AnswerKind::Usable},
        {R"({"status":0,"downloadURL":"https://h/a.zip"})", false, AnswerKind::NoPackage},
        {R"({"status":false,"downloadURL":"https://h/a.zip"})", false, AnswerKind::NoPackage},
        {R"({"status":false})", false, AnswerKind::NoPackage},
        {R"({"status":null,"downloadURL":"https://h/a.zip"})", false},
        {R"({"downloadURL":"https://h/a.zip"})", false},
        {R"({"status":"true","downloadURL":"https://h/a.zip"})", false},
        {R"({"status":[true],"downloadURL":"https://h/a.zip"})", false},
        {R"({"status":{},"downloadURL":"https://h/a.zip"})", false},
        {R"({"status":true,"downloadURL":""})", false},
        {R"({"status":true})", false},
        {R"({"status":true,"downloadURL":["https://h/a.zip"]})", false},
        {R"({"status":true,"downloadURL":{"u":1}})", false},
        {R"([{"status":true,"downloadURL":"https://h/a.zip"}])", false},
        {R"("text")", false},
        {"", false},
        {"{", false},
        {"<html>not found</html>", false},
    };
    for (const auto& c : cases) {
        ServiceAnswer answer;
        answer.downloadUrl = "untouched";
        EXPECT_EQ(ReadServiceAnswer(c.body, answer), c.kind) << c.body;
        EXPECT_EQ(answer.downloadUrl, c.usable ? "https://h/a.zip" : "untouched") << c.body;
        EXPECT_FALSE(answer.hasSha256) << c.body;
    }
    const std::string deep = "{\"status\":true,\"x\":" + std::string(100000, '[') + "}";
    ServiceAnswer answer;
    EXPECT_EQ(ReadServiceAnswer(deep, answer), AnswerKind::Unusable);
    EXPECT_EQ(ReadServiceAnswer(std::string(kMaxAnswerBytes + 1, ' '), answer), AnswerKind::Unusable);
}

TEST(DeviceService, RefusesPackagesThatCannotBeTrusted) {
    const std::string hash(64, 'a');
    const struct { const char* body; const char* name; bool installerOnly; bool refused; } cases[] = {
        {R"({"status":true,"downloadURL":"https://h/a.zip"})", "a.zip", false, false},
        {R"({"status":true,"downloadURL":"HTTPS://h/a.exe","sha256":"0123456789abcdefABCDEF0123456789abcdef0123456789abcdef0123456789"})",
         "a.exe", true, false},
        {R"({"status":true,"downloadURL":"https://h/a.MSI"})", "a.MSI", true, false},
        {R"({"status":true,"downloadURL":"http://h/a.zip"})", "a.zip", false, true},
        {R"({"status":true,"downloadURL":"ftp://h/a.exe"})", "a.exe", true, true},
        {R"({"status":true,"downloadURL":"//h/a.exe"})", "a.exe", true, true},
        {R"({"status":true,"downloadURL":"https://h/a.zip","sha256":"abc"})", "a.zip", false, true},
        {R"({"status":true,"downloadURL":"https://h/a.zip","sha256":""})", "a.zip", false, true},
        {R"({"status":true,"downloadURL":"https://h/a.zip","sha256":7})", "a.zip", false, true},
        {R"({"status":true,"downloadURL":"https://h/a.zip","sha256":"gggggggggggggggggggggggggggggggggggggggggggggggggggggggggggggggg"})",
         "a.zip", false, true},
        {R"({"status":true,"downloadURL":"https://h/a.bat"})", "a.bat", true, true},
        {R"({"status":true,"downloadURL":"https://h/a.hta"})", "a.hta", true, true},
        {R"({"status":true,"downloadURL":"https://h/a.exe.reg"})", "a.exe.reg", true, true},
        {R"({"status":true,"downloadURL":"https://h/a.zip"})", "a.zip", true, true},
    };
    for (const auto& c : cases) {
        ServiceAnswer answer;
        ASSERT_EQ(ReadServiceAnswer(c.body, answer), AnswerKind::Usable) << c.body;
        EXPECT_EQ(PackageRefusal(answer, c.name, c.installerOnly).empty(), !c.refused) << c.body;
    }
}

TEST(DeviceService, PackageFileNamesAreSafe) {
    const struct { const char* url; const char* name; } cases[] = {
        {"https://h/files/bt_8821CU.zip", "bt_8821CU.zip"},
        {"https://h/files/rx.exe?token=1&x=/y", "rx.exe"},
        {"https://h/files/rx.exe#part", "rx.exe"},
        {"rx.exe", "rx.exe"},
        {"https://h/files/", ""},
        {"https://h/files/.", ""},
        {"https://h/files/..", ""},
        {"https://h/files/..\\..\\Windows\\evil.exe", ""},
        {"https://h/files/C:evil.exe", ""},
        {"https://h/files/a*b.exe", ""},
        {"https://h/files/a\"b.exe", ""},
        {"https://h/files/a<b>.exe", ""},
        {"https://h/files/a|b.exe", ""},
        {"https://h/files/a\tb.exe", ""},
        {"https://h/files/CON", ""},
        {"https://h/files/nul.zip", ""},
        {"https://h/files/com1.exe", ""},
        {"https://h/files/LPT9", ""},
        {"https://h/files/COM10.exe", "COM10.exe"},
        {"https://h/files/console.exe", "console.exe"},
        {"https://h/files/setup.exe.", ""},
        {"https://h/files/setup.exe ", ""},
        {"https://h/files/a b.exe", "a b.exe"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(PackageFileName(c.url), c.name) << c.url;
}
