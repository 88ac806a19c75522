#pragma once
#include "framework/dialog.h"
#include "framework/gdi.h"
#include <string>

#include "ui/image_button.h"

// The no-connection message: a small modal dialog that says there is no
// internet connection, with an OK button. Owned by the installer window, so
// that it comes and stays in front of it, yet it leaves that window enabled:
// the user may go on with the other commands meanwhile.
class CExtraMsg : public fw::CDialog {
public:
    // The text comes from the owner's catalogue, already loaded.
    CExtraMsg(HWND owner, std::wstring text);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    fw::CMsgResult OnMessage(UINT message, WPARAM wp, LPARAM lp) override;

private:
    void LayOut(int dpi);
    void OnDpiChanged(int dpi, const RECT& suggested);
    void PlaceAtDensity(int dpi);
    int FitTextArea(const std::wstring& text);
    fw::CFont m_font;
    fw::CStatic m_text;
    CImageButton m_btnOk;
    std::wstring m_message;
    bool m_highContrast = false;
};
