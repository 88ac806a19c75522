#include "ui/announce.h"

#include <oleacc.h>

#include "sys/com_win.h"

namespace {
// From the Windows SDK's oleacc.h and UIAutomation headers, which MinGW lacks in part.
const CLSID kAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const IID kIAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
const MSAAPROPID kLiveSettingProperty = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr int kPolite = 1;
constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
}  // namespace

bool MarkPoliteLiveRegion(HWND control) {
    const sys::CComInit com(COINIT_APARTMENTTHREADED);  // the window keeps its own for its life as well
    sys::CComPtr<IAccPropServices> services;
    if (FAILED(::CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                                  reinterpret_cast<void**>(services.Put()))))
        return false;
    VARIANT polite;
    ::VariantInit(&polite);
    polite.vt = VT_I4;
    polite.lVal = kPolite;
    return SUCCEEDED(services->SetHwndProp(control, OBJID_CLIENT, CHILDID_SELF, kLiveSettingProperty, polite));
}

void ClearLiveRegion(HWND control) {
    sys::CComPtr<IAccPropServices> services;
    if (FAILED(::CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                                  reinterpret_cast<void**>(services.Put()))))
        return;
    MSAAPROPID live = kLiveSettingProperty;
    services->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, &live, 1);
}

void AnnounceTextChange(HWND control, bool liveRegion) {
    ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_WINDOW, CHILDID_SELF);
    if (liveRegion) ::NotifyWinEvent(kLiveRegionChanged, control, OBJID_CLIENT, CHILDID_SELF);
    // Windows 7 reads no change of a control without the focus; an alert it reads.
    else ::NotifyWinEvent(EVENT_SYSTEM_ALERT, control, OBJID_CLIENT, CHILDID_SELF);
}
