#include "accessible_names.h"

#include <oleacc.h>

namespace {

// Spelled out here: the libraries that define them would be new imports.
constexpr GUID kAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kIAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kPropName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr GUID kPropDescription = {0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};
constexpr GUID kPropValue = {0x123fe443, 0x211a, 0x4615, {0x95, 0x27, 0xc4, 0x5a, 0x7e, 0x93, 0x71, 0x7a}};
// UI Automation's LiveSetting property, which MSAA annotations carry too; 1 is "polite".
constexpr GUID kPropLiveSetting = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPolite = 1;

using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
using CoUninitializeFn = void(WINAPI*)();
using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);

}  // namespace

bool AccessibleNames::Start() {
    if (m_started) return m_services != nullptr;
    m_started = true;
    m_ole32 = winbase::LoadSystemLibrary(L"ole32.dll");
    // Loaded before COM looks for it, so that COM finds the system's copy already in place.
    m_oleacc = winbase::LoadSystemLibrary(L"oleacc.dll");
    const auto initialise = winbase::SystemProc<CoInitializeExFn>(m_ole32, "CoInitializeEx");
    const auto create = winbase::SystemProc<CoCreateInstanceFn>(m_ole32, "CoCreateInstance");
    if (initialise == nullptr || create == nullptr || !m_oleacc) return false;
    m_comInitialised = SUCCEEDED(initialise(nullptr, COINIT_APARTMENTTHREADED));
    if (!m_comInitialised) return false;
    void* services = nullptr;
    if (FAILED(create(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices, &services))) {
        return false;
    }
    m_services = static_cast<IAccPropServices*>(services);
    return true;
}

void AccessibleNames::Remember(HWND window) {
    for (std::size_t i = 0; i < m_count; ++i) {
        if (m_made[i] == window) return;  // texts set again as the countdown runs
    }
    if (m_count < m_made.size()) m_made[m_count++] = window;
}

void AccessibleNames::SetText(HWND window, Property property, const wchar_t* text) {
    static constexpr const GUID* kProps[] = {&kPropName, &kPropDescription, &kPropValue};
    if (Start() &&
        SUCCEEDED(m_services->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                             *kProps[property], text))) {
        Remember(window);
    }
}

void AccessibleNames::SetPoliteLiveRegion(HWND window) {
    if (!Start()) return;
    VARIANT polite{};
    polite.vt = VT_I4;
    polite.lVal = kPolite;
    if (SUCCEEDED(m_services->SetHwndProp(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                          kPropLiveSetting, polite))) {
        Remember(window);
    }
}

void AccessibleNames::Clear() {
    if (m_services != nullptr) {
        // Every property of each window: one not set is no harm.
        static constexpr MSAAPROPID kProps[] = {kPropName, kPropDescription, kPropValue,
                                                kPropLiveSetting};
        for (std::size_t i = 0; i < m_count; ++i) {
            m_services->ClearHwndProps(m_made[i], static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                       kProps, 4);
        }
        m_services->Release();
        m_services = nullptr;
    }
    m_count = 0;
    if (m_comInitialised) {
        if (const auto uninitialise = winbase::SystemProc<CoUninitializeFn>(m_ole32, "CoUninitialize")) {
            uninitialise();
        }
        m_comInitialised = false;
    }
}
