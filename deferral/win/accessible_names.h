#pragma once
// What a screen reader hears of the dialog beyond its controls' own texts: names for the
// textless slider and bar and for the message, the dialog's description, and the
// countdown label as a polite live region. Set through Dynamic Annotation, with ole32 and
// oleacc loaded from the system directory when first needed; without them nothing is set
// and the dialog works as before.

#include <windows.h>

#include <array>

#include "system_library.h"

struct IAccPropServices;

class AccessibleNames {
public:
    AccessibleNames() = default;
    ~AccessibleNames() { Clear(); }
    AccessibleNames(const AccessibleNames&) = delete;
    AccessibleNames& operator=(const AccessibleNames&) = delete;

    void SetName(HWND window, const wchar_t* name) { SetText(window, false, name); }
    void SetDescription(HWND window, const wchar_t* text) { SetText(window, true, text); }
    void SetPoliteLiveRegion(HWND window);
    // Removes every annotation made and lets COM go; for WM_DESTROY.
    void Clear();

private:
    bool Start();
    void SetText(HWND window, bool description, const wchar_t* text);
    void Remember(HWND window);

    fw::UniqueModule m_ole32;
    fw::UniqueModule m_oleacc;
    IAccPropServices* m_services = nullptr;
    bool m_started = false;  // tried already, whether or not it worked
    bool m_comInitialised = false;
    std::array<HWND, 8> m_made{};  // the windows annotated
    std::size_t m_count = 0;
};
