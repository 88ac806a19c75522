#pragma once
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "i18n/translation.h"
#include "ui/image_button.h"

// The no-connection message: a small modal dialog that says there is no
// Internet connection, with an OK button.
class CExtraMsg : public fw::CDialog {
public:
    explicit CExtraMsg(HWND parent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    fw::CMsgResult OnMessage(UINT message, WPARAM wp, LPARAM lp) override;

private:
    int FitTextArea(const std::wstring& text);
    fw::CFont m_font;
    fw::CStatic m_text;
    CImageButton m_btnOk;
    CTranslation m_translation;
};
