#include "install/device_query_win.h"

#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include <chrono>
#include <optional>

#include "sys/detached_result.h"
#include "sys/handle_win.h"
#include "sys/log.h"
#include "sys/settings.h"

namespace {

class CDeviceList {  // SetupDiGetClassDevs ... SetupDiDestroyDeviceInfoList
public:
    CDeviceList() : m_set(::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT)) {}
    ~CDeviceList() { if (Valid()) ::SetupDiDestroyDeviceInfoList(m_set); }
    CDeviceList(const CDeviceList&) = delete;
    CDeviceList& operator=(const CDeviceList&) = delete;
    bool Valid() const { return m_set != INVALID_HANDLE_VALUE; }
    HDEVINFO Get() const { return m_set; }
private:
    HDEVINFO m_set;
};

// A REG_SZ value; empty when there is none.
std::wstring TextOf(HKEY key, const wchar_t* name) {
    wchar_t value[256] = {};
    DWORD size = sizeof value - sizeof(wchar_t), type = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return L"";
    return value;
}

std::vector<std::wstring> HardwareIds(HDEVINFO set, SP_DEVINFO_DATA& device) {
    std::vector<wchar_t> buffer(1024);
    DWORD type = 0, size = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_HARDWAREID, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                             static_cast<DWORD>((buffer.size() - 2) * sizeof(wchar_t)), &size) ||
        type != REG_MULTI_SZ)
        return {};
    std::vector<std::wstring> ids;
    for (const wchar_t* id = buffer.data(); *id; id += wcslen(id) + 1) ids.emplace_back(id);
    return ids;
}

// Every present device with one of ids; nothing when SetupAPI fails.
std::optional<std::vector<DeviceFacts>> ListDevices(const std::vector<std::wstring>& ids) {
    const CDeviceList set;
    if (!set.Valid()) return std::nullopt;
    std::vector<DeviceFacts> found;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(set.Get(), index, &device); ++index) {
        DeviceFacts facts;
        facts.hardwareIds = HardwareIds(set.Get(), device);
        if (!MatchesAny(ids, facts.hardwareIds)) continue;
        HKEY opened = ::SetupDiOpenDevRegKey(set.Get(), &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
        const sys::CKeyHandle driver(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
        facts.driverVersion = driver.Valid() ? TextOf(driver.Get(), L"DriverVersion") : L"";
        facts.hasDriver = !facts.driverVersion.empty();  // a driver key without a driver is what a failed install leaves
        if (facts.hasDriver) {
            facts.driverDate = TextOf(driver.Get(), L"DriverDate");
            facts.provider = TextOf(driver.Get(), L"ProviderName");
        }
        ULONG status = 0, problem = 0;
        if (::CM_Get_DevNode_Status(&status, &problem, device.DevInst, 0) == CR_SUCCESS && (status & DN_HAS_PROBLEM))
            facts.problem = problem;
        found.push_back(std::move(facts));
    }
    return found;
}

}  // namespace

std::vector<DeviceLook> LookAtDevicesNow(const std::vector<std::vector<std::wstring>>& idsEach) {
    std::vector<std::wstring> all;
    for (const std::vector<std::wstring>& ids : idsEach) all.insert(all.end(), ids.begin(), ids.end());
    std::vector<DeviceLook> looks(idsEach.size());
    if (all.empty()) return looks;
    using Listed = std::optional<std::vector<DeviceFacts>>;
    const auto query = CDetachedResult<Listed>::Start([all] { return ListDevices(all); });
    const std::optional<Listed> listed = query.WaitFor(std::chrono::milliseconds(g_settings.deviceQueryMs));
    if (!listed || !*listed) sys::Log(listed ? L"SetupAPI could not list the devices" : L"SetupAPI did not answer in time");
    for (std::size_t i = 0; i < idsEach.size(); ++i)
        if (!idsEach[i].empty())
            looks[i] = listed && *listed ? LookFrom(idsEach[i], **listed) : DeviceLook(DeviceState::Unknown);
    return looks;
}

DeviceLook LookAtDevicesNow(const std::vector<std::wstring>& ids) { return LookAtDevicesNow(std::vector<std::vector<std::wstring>>{ids}).front(); }
