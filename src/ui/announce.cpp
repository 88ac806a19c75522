#include "ui/announce.h"

#include <oleacc.h>

#include "sys/com_win.h"

namespace {
// From the Windows SDK's oleacc.h and UIAutomation headers, which MinGW lacks in part.
const CLSID kAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const IID kIAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
const MSAAPROPID kLiveSettingProperty = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
const MSAAPROPID kStateProperty = {0xa8d4d5b0, 0x0a21, 0x42d0, {0xa5, 0xc0, 0x51, 0x4e, 0x98, 0x4f, 0x45, 0x7b}};
constexpr int kPolite = 1;
constexpr LONG kAlertMedium = 0x08000000;  // STATE_SYSTEM_ALERT_MEDIUM

// Sets one property of the control's client object to value.
bool SetProperty(HWND control, const MSAAPROPID& property, LONG value) {
    const sys::CComInit com(COINIT_APARTMENTTHREADED);  // the window keeps its own for its life as well
    sys::CComPtr<IAccPropServices> services;
    if (FAILED(::CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                                  reinterpret_cast<void**>(services.Put()))))
        return false;
    VARIANT variant;
    ::VariantInit(&variant);
    variant.vt = VT_I4;
    variant.lVal = value;
    return SUCCEEDED(services->SetHwndProp(control, OBJID_CLIENT, CHILDID_SELF, property, variant));
}
constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
}  // namespace

bool MarkPoliteLiveRegion(HWND control) { return SetProperty(control, kLiveSettingProperty, kPolite); }

bool MarkAlertState(HWND control) { return SetProperty(control, kStateProperty, kAlertMedium); }

void ClearLiveRegion(HWND control) {
    sys::CComPtr<IAccPropServices> services;
    if (FAILED(::CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                                  reinterpret_cast<void**>(services.Put()))))
        return;
    MSAAPROPID set[] = {kLiveSettingProperty, kStateProperty};
    services->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, set, 2);
}

void AnnounceTextChange(HWND control, bool liveRegion) {
    ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_WINDOW, CHILDID_SELF);
    if (liveRegion) ::NotifyWinEvent(kLiveRegionChanged, control, OBJID_CLIENT, CHILDID_SELF);
    // Windows 7 reads no change of a control without the focus; an alert it reads.
    else ::NotifyWinEvent(EVENT_SYSTEM_ALERT, control, OBJID_CLIENT, CHILDID_SELF);
}
