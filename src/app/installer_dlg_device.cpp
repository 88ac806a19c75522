// The installer window's line about the adapter, between the logo and the
// commands: "Plug the adapter into a USB port.", or each job's installed
// driver. It is looked at after the first paint, when devices come and go
// and after every job; a job's own texts stay on the status line.
#include "app/installer_dlg.h"

#include <thread>

#include "install/device_query_win.h"
#include "sys/log.h"
#include "ui/announce.h"
#include "ui/product_font.h"
#include "ui/scale.h"

namespace {
constexpr int kDeviceTop = 66, kDeviceHeight = 40;  // at 100 %: below the logo's subtitle, above the first command
}  // namespace

void CInstallerDlg::LookAtAdapter() {
    if (m_lookingAtAdapter) {
        m_lookAgain = true;
        return;
    }
    std::vector<const Job*> jobs;
    for (const Job& job : kJobs)
        if (OfferedOn(job, WindowsSoFar()) && !DeviceIdsOf(job).empty()) jobs.push_back(&job);
    if (jobs.empty()) return;
    m_lookingAtAdapter = true;
    const HWND self = m_hWnd;
    std::thread([self, jobs] {
        std::vector<std::vector<std::wstring>> ids;
        for (const Job* job : jobs) ids.push_back(DeviceIdsOf(*job));
        const std::vector<DeviceLook> seen = LookAtDevicesNow(ids);  // one list of the devices for all
        auto looks = std::make_unique<std::vector<JobLook>>();
        for (std::size_t i = 0; i < jobs.size(); ++i) looks->push_back({jobs[i], seen[i]});
        if (::PostMessageW(self, kAdapterLookedMessage, 0, reinterpret_cast<LPARAM>(looks.get()))) looks.release();
    }).detach();
}

void CInstallerDlg::OnAdapterLooked(const std::vector<JobLook>& looks) {
    m_lookingAtAdapter = false;
    for (const JobLook& look : looks)
        sys::Log(std::wstring(L"the ") + look.job->name + L"'s device: " + DescribeLook(look.look));
    const std::wstring text = DeviceLine(looks, [this](TranslationKey key) { return Word(key); });
    if (text != m_device.GetWindowText()) {
        m_device.SetWindowText(text);
        FitDeviceFont();
        AnnounceTextChange(m_device.GetSafeHwnd(), m_liveRegion);
        // Transparent, as the status line: shown anew, the background under it is painted again.
        m_device.ShowWindow(SW_HIDE);
        m_device.ShowWindow(text.empty() ? SW_HIDE : SW_SHOW);
    }
    ++m_adapterLooks;
    if (m_lookAgain) {
        m_lookAgain = false;
        LookAtAdapter();
    }
}

void CInstallerDlg::PlaceDeviceLine() {
    const int dpi = m_arrangement.dpi, width = m_arrangement.controlWidth;
    const RECT client = GetClientRect();
    m_device.SetWindowPos(nullptr, (client.right - width) / 2, Scaled(kDeviceTop, dpi), width, Scaled(kDeviceHeight, dpi),
                          SWP_NOZORDER | SWP_NOACTIVATE);
    FitDeviceFont();
}

// Centred on two lines at most, in the largest size up to the window's that fits.
void CInstallerDlg::FitDeviceFont() {
    const std::wstring text = m_device.GetWindowText();
    const RECT area = m_device.GetClientRect();
    const auto fits = [&](HFONT font) {
        fw::CClientDC dc(m_device.GetSafeHwnd());
        fw::CSelectObject select(dc.Get(), font);
        RECT needed = {0, 0, area.right, 0};
        ::DrawTextW(dc.Get(), text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_CENTER);
        return needed.right <= area.right && needed.bottom <= area.bottom;
    };
    m_deviceFontInUse = m_font.Get();
    if (!text.empty() && !fits(m_font.Get())) {
        FittingFontTenths(m_arrangement.dpi, fits, m_deviceFont);
        m_deviceFontInUse = m_deviceFont.Get();
    }
    m_device.SetFont(m_deviceFontInUse, false);
}
