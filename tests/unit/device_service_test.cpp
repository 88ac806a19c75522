#include <gtest/gtest.h>

#include "install/jobs.h"
#include "install/package_rules.h"
#include "install/unpacker.h"
#include "net/device_service.h"
#include "net/url.h"
#include "sys/text_util.h"

TEST(DeviceService, RequestAddresses) {
    CSettingsOverride settings;
    g_settings.serviceHost = "devices.example:8443";
    const Job& bluetooth = JobOf(JobId::Bluetooth);
    EXPECT_EQ(RequestUrl(bluetooth.resource, bluetooth.query, ServiceOsValue(WindowsVersion::Win10)),
              "https://devices.example:8443/api/rx/RealtekDrivers?os=win10&wirelessType=bluetooth&wirelessProduct=8821CU");
    EXPECT_EQ(RequestUrl(JobOf(JobId::Receiver).resource, nullptr, "win10"),
              "https://devices.example:8443/api/rx/QuilloRXApp");
    EXPECT_EQ(RequestUrl(JobOf(JobId::Hotspot).resource, nullptr, "win7"),
              "https://devices.example:8443/api/rx/TWHotspot");
    using V = WindowsVersion;
    const struct { V version; const char* value; } cases[] = {
        {V::Unknown, "win7"}, {V::Nt4, "win7"}, {V::Vista, "win7"}, {V::Win7, "win7"}, {V::Win8, "win8"},
        {V::Win81, "win8"}, {V::Win10, "win10"}, {ClassifyOsVersion(L"11.0"), "win10"}};
    for (const auto& c : cases) EXPECT_EQ(ServiceOsValue(c.version), c.value) << WindowsName(c.version);
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
    constexpr PackageKind archive = PackageKind::Archive, installer = PackageKind::Installer;
    const struct { const char* body; const char* name; PackageKind kind; bool refused; } cases[] = {
        {R"({"status":true,"downloadURL":"https://h/a.zip"})", "a.zip", archive, false},
        {R"({"status":true,"downloadURL":"https://h/a.7Z"})", "a.7Z", archive, false},
        {R"({"status":true,"downloadURL":"HTTPS://h/a.exe","sha256":"0123456789abcdefABCDEF0123456789abcdef0123456789abcdef0123456789"})",
         "a.exe", installer, false},
        {R"({"status":true,"downloadURL":"https://h/a.MSI"})", "a.MSI", installer, false},
        {R"({"status":true,"downloadURL":"http://h/a.zip"})", "a.zip", archive, true},
        {R"({"status":true,"downloadURL":"ftp://h/a.exe"})", "a.exe", installer, true},
        {R"({"status":true,"downloadURL":"//h/a.exe"})", "a.exe", installer, true},
        {R"({"status":true,"downloadURL":"https://h/a.zip","sha256":"abc"})", "a.zip", archive, true},
        {R"({"status":true,"downloadURL":"https://h/a.zip","sha256":""})", "a.zip", archive, true},
        {R"({"status":true,"downloadURL":"https://h/a.zip","sha256":7})", "a.zip", archive, true},
        {R"({"status":true,"downloadURL":"https://h/a.zip","sha256":"gggggggggggggggggggggggggggggggggggggggggggggggggggggggggggggggg"})",
         "a.zip", archive, true},
        {R"({"status":true,"downloadURL":"https://h/a.bat"})", "a.bat", installer, true},
        {R"({"status":true,"downloadURL":"https://h/a.hta"})", "a.hta", installer, true},
        {R"({"status":true,"downloadURL":"https://h/a.exe.reg"})", "a.exe.reg", installer, true},
        {R"({"status":true,"downloadURL":"https://h/a.zip"})", "a.zip", installer, true},
        // Only the formats the packages use are unpacked; the archiver is told which.
        {R"({"status":true,"downloadURL":"https://h/a.cab"})", "a.cab", archive, true},
        {R"({"status":true,"downloadURL":"https://h/a.tar"})", "a.tar", archive, true},
        {R"({"status":true,"downloadURL":"https://h/a.exe"})", "a.exe", archive, true},
        {R"({"status":true,"downloadURL":"https://h/a.zip.rar"})", "a.zip.rar", archive, true},
    };
    for (const auto& c : cases) {
        ServiceAnswer answer;
        ASSERT_EQ(ReadServiceAnswer(c.body, answer), AnswerKind::Usable) << c.body;
        EXPECT_EQ(PackageRefusal(answer, c.name, c.kind).empty(), !c.refused) << c.body;
    }
    // The unpacker is told the one format the name says, never left to guess from the content.
    const struct { const wchar_t* name; const wchar_t* format; } formats[] = {
        {L"bt.ZIP", L"-tzip"}, {L"bt.7z", L"-t7z"}, {L"\u84dd\u7259.7Z", L"-t7z"}, {L"bt.zipx", nullptr},
        {L"bt.7z.exe", nullptr}, {L"7z", nullptr},
    };
    for (const auto& f : formats) {
        const Unpacker* unpacker = UnpackerFor(f.name);
        ASSERT_EQ(unpacker != nullptr, f.format != nullptr) << f.name;
        if (unpacker) {
            EXPECT_EQ(unpacker->FormatOf(f.name), f.format) << f.name;
        }
    }
    const Unpacker& sevenZip = *UnpackerFor(L"bt.7z");
    EXPECT_EQ(sevenZip.Arguments(L"-t7z", L"C:\\W\\j\\bt.7z", L"C:\\W\\j\\package"),
              L"x -t7z \"C:\\W\\j\\bt.7z\" -o\"C:\\W\\j\\package\" -p- -y");
    // 1 is a warning; 2 and up are errors, and a code that reads negative too.
    EXPECT_TRUE(sevenZip.Unpacked(0));
    EXPECT_TRUE(sevenZip.Unpacked(1));
    EXPECT_FALSE(sevenZip.Unpacked(2));
    EXPECT_FALSE(sevenZip.Unpacked(0xFFFFFFFFul));
}

// On the wire an address is ASCII: a UTF-8 name is escaped, never left to a code page.
TEST(DeviceService, AddressesGoOnTheWireInAscii) {
    const struct { const char* url; const char* wire; } cases[] = {
        {"https://h/files/bt.zip?os=win10&x=1", "https://h/files/bt.zip?os=win10&x=1"},
        {"https://h/files/bt_\xE9\xA9\xB1.zip", "https://h/files/bt_%E9%A9%B1.zip"},
        {"https://h/files/a b.exe", "https://h/files/a%20b.exe"},
        {"https://h/files/a%20b.exe", "https://h/files/a%20b.exe"},
        {"https://h/\x7F\x01", "https://h/%7F%01"},
    };
    for (const auto& c : cases) EXPECT_EQ(AddressForTheWire(c.url), c.wire) << c.url;
    // The file keeps its own name.
    EXPECT_EQ(PackageFileName("https://h/files/bt_\xE9\xA9\xB1.zip"), "bt_\xE9\xA9\xB1.zip");
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
