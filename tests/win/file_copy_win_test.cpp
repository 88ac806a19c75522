#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include "sys/cancel_token.h"
#include "sys/file_copy_win.h"
#include "sys/readable_file.h"
#include "wine_helpers_win.h"

namespace {
// A layout on a slow stick: 64 KiB a read, a twentieth of a second each.
class CSlowSource : public IReadableFile {
public:
    const std::wstring& Path() const override { return m_path; }
    unsigned long long Size() override { return kSize; }
    bool ReadAt(unsigned long long offset, void* buffer, unsigned long size, unsigned long& got,
                unsigned long&) override {
        ::Sleep(50);
        got = static_cast<unsigned long>(std::min<unsigned long long>({size, 64 * 1024, kSize - offset}));
        std::memset(buffer, 'x', got);
        return true;
    }
    static constexpr unsigned long long kSize = 64ull << 20;

private:
    std::wstring m_path = L"E:\\packages\\bluetooth.zip";
};
}  // namespace

// A copy from the offline layout ends within a second of a cancel, whatever
// is left to copy, and leaves no part of itself behind.
TEST(FileCopy, ACancelEndsTheCopyAndLeavesNothing) {
    test::CTempFolder root(L"copy-cancel");
    const sys::CHeldFolder folder = sys::CHeldFolder::Open(root.Path());
    CSlowSource source;
    CCancelToken cancel;
    DWORD cancelledAt = 0;
    std::thread canceller([&] {
        ::Sleep(300);
        cancelledAt = ::GetTickCount();
        cancel.Cancel();
    });
    DWORD error = 0;
    const bool copied = sys::CopyInto(folder, L"bluetooth.zip", source, CSlowSource::kSize, CSlowSource::kSize,
                                      [](const TransferProgress&) {}, error, &cancel);
    const DWORD ended = ::GetTickCount();
    canceller.join();
    EXPECT_FALSE(copied);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_CANCELLED));
    EXPECT_LT(ended - cancelledAt, 1000u);
    EXPECT_TRUE(folder.List().empty());
}
