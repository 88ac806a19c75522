// The installer window's arrangement at its density: font, button and bar
// slots, the cancels beside the bars, the status line, and the look.
#include "app/installer_dlg.h"

#include <algorithm>

#include "res/resource.h"
#include "ui/product_font.h"
#include "ui/scale.h"

namespace {

void OfferedJobs(bool (&on)[kJobCount]) {
    for (const Job& job : kJobs) on[JobIndex(job.id)] = Offered(job);
}

// The gap between the buttons: the font's size in pixels, whatever the face
// (faces differ in line spacing; the layout must not).
int GapAt(int dpi) { return ::MulDiv(kProductFontTenths, dpi, 720); }

// The caption's and the frame's height together.
int FrameHeight(HWND window) {
    RECT outer = {}, client = {};
    ::GetWindowRect(window, &outer);
    ::GetClientRect(window, &client);
    return (outer.bottom - outer.top) - client.bottom;
}

}  // namespace

void CInstallerDlg::ArrangeAtDensity(int dpi, bool first) {
    CreateProductFont(dpi, m_font);
    m_gap = GapAt(dpi);
    bool on[kJobCount] = {};
    OfferedJobs(on);
    m_arrangement = ArrangeWindow(on, m_gap, dpi, FrameHeight(m_hWnd));
    if (first) SetWindowPos(nullptr, 0, 0, m_arrangement.windowWidth, m_arrangement.windowHeight, SWP_NOMOVE | SWP_NOZORDER);
    PlaceControls(first);
    ApplyLook();
}

// What the window will need at another density, its frame scaled there.
SIZE CInstallerDlg::SizeAtDensity(int dpi) const {
    bool on[kJobCount] = {};
    OfferedJobs(on);
    const int frame = ::MulDiv(FrameHeight(m_hWnd), dpi, m_arrangement.dpi);
    const WindowArrangement at = ArrangeWindow(on, GapAt(dpi), dpi, frame);
    return {at.windowWidth, at.windowHeight};
}

// The captions of the offered jobs' commands, and what screen readers call their cancels.
void CInstallerDlg::SortControls() {
    for (const Job& job : kJobs) {
        if (!Offered(job)) continue;
        m_buttons[JobIndex(job.id)].SetWindowText(Word(job.caption));
        if (job.cancel) m_cancels[JobIndex(job.id)].SetWindowText(Word(job.cancelName));
    }
}

void CInstallerDlg::PlaceControls(bool first) {
    const RECT client = GetClientRect();
    const int width = m_arrangement.controlWidth, left = (client.right - width) / 2, gap = m_gap;
    const UINT hide = first ? SWP_HIDEWINDOW : 0;
    // Tab and Shift+Tab follow the table's order, which is the window's; each
    // cancel follows its command. A job the build does not offer keeps no slot.
    HWND after = HWND_TOP;
    const int cancelSize = std::max(gap - 4, 8), cancelRoom = cancelSize + Scaled(4, m_arrangement.dpi);
    for (const Job& job : kJobs) {
        const std::size_t i = JobIndex(job.id);
        if (!Offered(job)) {
            m_buttons[i].ShowWindow(SW_HIDE);
            if (job.bar) m_bars[i].ShowWindow(SW_HIDE);
            continue;
        }
        m_buttons[i].SetWindowPos(after, left, m_arrangement.buttonTop[i], width, m_arrangement.buttonHeight,
                                  hide | SWP_NOACTIVATE);
        after = m_buttons[i].GetSafeHwnd();
        if (!job.bar) continue;
        // The bar leaves room at its right end for its cancel, which fills the
        // gap between the buttons above and below it.
        const int barTop = m_arrangement.barTop[i];
        m_bars[i].SetWindowPos(nullptr, left, barTop, width - cancelRoom, m_arrangement.barHeight, SWP_NOZORDER | hide);
        if (first) m_bars[i].SetRange(0, 100);
        m_cancels[i].SetWindowPos(after, left + width - cancelSize, barTop + gap / 4 - cancelSize / 2, cancelSize,
                                  cancelSize, SWP_NOACTIVATE | hide);
        after = m_cancels[i].GetSafeHwnd();
    }
    const int top = StatusLineTop(m_arrangement, gap, client.bottom);
    m_status.SetWindowPos(nullptr, left, top, width, 3 * gap, SWP_NOZORDER | SWP_SHOWWINDOW);
    FitStatusFont(m_status.GetWindowText());
    PlaceDeviceLine();
}

void CInstallerDlg::ApplyLook() {
    static const UINT faces[3] = {IDB_BUTTON_FACE, IDB_BUTTON_FACE_150, IDB_BUTTON_FACE_200};
    for (const Job& job : kJobs) {
        if (!Offered(job)) continue;
        ApplyProductLook(m_buttons[JobIndex(job.id)], faces, m_font.Get(), m_arrangement.dpi, m_highContrast);
        if (job.cancel) m_cancels[JobIndex(job.id)].SetHighContrast(m_highContrast);
    }
}

void CInstallerDlg::OnDpiChanged(int dpi, const RECT& suggested) {
    SendMessage(WM_SETREDRAW, FALSE);
    SetWindowPos(nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ArrangeAtDensity(dpi, false);
    SendMessage(WM_SETREDRAW, TRUE);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}
