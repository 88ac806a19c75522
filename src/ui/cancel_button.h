#pragma once
// The small cancel beside a job's bar: a real push button (its window text,
// the translated "Cancel", is what screen readers read) drawn as a cross in
// the product's look, or in the system's colours under high contrast.
#include "framework/wnd.h"

class CCancelButton : public fw::CSubclassWnd {
public:
    void SetHighContrast(bool on) {
        m_highContrast = on;
        Invalidate();
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wp, LPARAM lp) override;

private:
    void DrawItem(const DRAWITEMSTRUCT& item) const;
    bool m_highContrast = false;
};
