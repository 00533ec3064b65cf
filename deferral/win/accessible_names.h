#pragma once
// Names, descriptions, values and live regions that a screen reader hears of a window beyond
// its own text. Set through Dynamic Annotation, with ole32 and oleacc loaded from the system
// directory when first needed; without them nothing is set and the dialog works as before.

#include <windows.h>

#include <array>

#include "winbase/system_library.h"

struct IAccPropServices;

class AccessibleNames {
public:
    AccessibleNames() = default;
    ~AccessibleNames() { Clear(); }
    AccessibleNames(const AccessibleNames&) = delete;
    AccessibleNames& operator=(const AccessibleNames&) = delete;

    void SetName(HWND window, const wchar_t* name) { SetText(window, kName, name); }
    void SetDescription(HWND window, const wchar_t* text) { SetText(window, kDescription, text); }
    void SetValue(HWND window, const wchar_t* text) { SetText(window, kValue, text); }
    void SetPoliteLiveRegion(HWND window);
    // Removes every annotation made and lets COM go; for WM_DESTROY.
    void Clear();

private:
    enum Property { kName, kDescription, kValue };
    bool Start();
    void SetText(HWND window, Property property, const wchar_t* text);
    void Remember(HWND window);

    winbase::UniqueModule m_ole32;
    winbase::UniqueModule m_oleacc;
    IAccPropServices* m_services = nullptr;
    bool m_started = false;  // tried already, whether or not it worked
    bool m_comInitialised = false;
    std::array<HWND, 8> m_made{};  // the windows annotated
    std::size_t m_count = 0;
};
