#include <gtest/gtest.h>
#include <windows.h>

#include "install/offline_layout_win.h"
#include "sys/file_checks_win.h"

namespace {

// A manifest on a share a hostile server answers: the first reading gets one
// text, every later one another (the one the program pins).
class CTwoFacedFile : public IReadableFile {
public:
    CTwoFacedFile(std::string first, std::string later) : m_first(std::move(first)), m_later(std::move(later)) {}
    const std::wstring& Path() const override { return m_path; }
    unsigned long long Size() override { return m_first.size(); }
    bool ReadAt(unsigned long long offset, void* buffer, unsigned long size, unsigned long& got, unsigned long&) override {
        if (offset == 0 && m_read) m_served = &m_later;  // read again from the start: the other face
        m_read = true;
        const std::string& text = *m_served;
        got = offset >= text.size() ? 0 : static_cast<unsigned long>(std::min<unsigned long long>(size, text.size() - offset));
        std::copy_n(text.data() + offset, got, static_cast<char*>(buffer));
        return true;
    }

private:
    std::wstring m_path = L"\\\\server\\share\\packages\\manifest.json";
    std::string m_first, m_later;
    const std::string* m_served = &m_first;
    bool m_read = false;
};

}  // namespace

// The pin is compared with the hash of the very bytes that are parsed, read once.
TEST(OfflineLayoutWine, TheManifestIsHashedAsItWasReadOnce) {
    const std::string planted = R"({"version": 1, "packages": [{"job": "bluetooth", "file": "evil.zip"}]})";
    const std::string pinned = R"({"version": 1, "packages": []})";
    CTwoFacedFile file(planted, pinned);
    std::string bytes, sha256;
    ASSERT_TRUE(ReadManifestOnce(file, bytes, sha256));
    EXPECT_EQ(bytes, planted);
    EXPECT_EQ(sha256, sys::Sha256Of(planted));
    EXPECT_NE(sha256, sys::Sha256Of(pinned));
    EXPECT_EQ(sys::Sha256Of(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}
