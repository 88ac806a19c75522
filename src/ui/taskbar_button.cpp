#include "ui/taskbar_button.h"

#include <shobjidl.h>

#include "sys/com_win.h"

namespace {

class CTaskbarList : public ITaskbarButton {
public:
    CTaskbarList(HWND window, sys::CComPtr<ITaskbarList3> list) : m_window(window), m_list(std::move(list)) {}
    void Show(const TaskbarView& view) override {
        switch (view.state) {
        case TaskbarState::None: m_list->SetProgressState(m_window, TBPF_NOPROGRESS); return;
        case TaskbarState::Indeterminate: m_list->SetProgressState(m_window, TBPF_INDETERMINATE); return;
        case TaskbarState::Error:
            m_list->SetProgressState(m_window, TBPF_ERROR);
            m_list->SetProgressValue(m_window, 100, 100);  // a full red bar
            return;
        case TaskbarState::Normal: break;
        }
        m_list->SetProgressState(m_window, TBPF_NORMAL);
        m_list->SetProgressValue(m_window, view.done, view.total ? view.total : 1);
    }

private:
    HWND m_window;
    sys::CComPtr<ITaskbarList3> m_list;
};

}  // namespace

UINT TaskbarButtonCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarButtonCreated");
    return message;
}

namespace {
MessageFilterFn g_filter = nullptr;
}  // namespace

void SetMessageFilterForTests(MessageFilterFn filter) { g_filter = filter; }

void AllowTaskbarButtonMessages(HWND window) {
    (g_filter ? g_filter : ::ChangeWindowMessageFilterEx)(window, TaskbarButtonCreatedMessage(), MSGFLT_ALLOW, nullptr);
}

std::unique_ptr<ITaskbarButton> OpenTaskbarButton(HWND window) {
    sys::CComPtr<ITaskbarList3> list;
    if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, list.PutVoid())) ||
        FAILED(list->HrInit()))
        return nullptr;
    return std::make_unique<CTaskbarList>(window, std::move(list));
}
