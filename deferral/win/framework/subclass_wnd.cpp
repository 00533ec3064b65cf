#include "subclass_wnd.h"

#include <commctrl.h>

namespace fw {

SubclassWnd::~SubclassWnd() { UnsubclassWindow(); }

bool SubclassWnd::SubclassDlgItem(int id, HWND dialog) {
    return SubclassWindow(::GetDlgItem(dialog, id));
}

bool SubclassWnd::SubclassWindow(HWND window) {
    if (window == nullptr || m_hWnd != nullptr) return false;
    if (!::SetWindowSubclass(window, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    m_hWnd = window;
    return true;
}

void SubclassWnd::UnsubclassWindow() {
    if (m_hWnd == nullptr) return;
    ::RemoveWindowSubclass(m_hWnd, SubclassProc, 0);
    m_hWnd = nullptr;
}

LRESULT SubclassWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(message, wParam, lParam);
}

LRESULT SubclassWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK SubclassWnd::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    auto* control = reinterpret_cast<SubclassWnd*>(self);
    if (message == WM_NCDESTROY) {
        // The window is going: let go of it before it does.
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        control->UnsubclassWindow();
        return result;
    }
    return control->WindowProc(message, wParam, lParam);
}

}  // namespace fw
