#pragma once
// A window handle with the calls the prompt makes on it.

#include <windows.h>

namespace fw {

class Wnd {
public:
    HWND m_hWnd = nullptr;

    BOOL SetWindowTextW(const wchar_t* text) const { return ::SetWindowTextW(m_hWnd, text); }
    BOOL SetDlgItemTextW(int id, const wchar_t* text) const {
        return ::SetDlgItemTextW(m_hWnd, id, text);
    }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    BOOL EnableDlgItem(int id, BOOL enable) const { return ::EnableWindow(GetDlgItem(id), enable); }
    BOOL ShowWindow(int command) const { return ::ShowWindow(m_hWnd, command); }
    BOOL BringWindowToTop() const { return ::BringWindowToTop(m_hWnd); }
    BOOL SetForegroundWindow() const { return ::SetForegroundWindow(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL RedrawWindow(const RECT* rect, HRGN region, UINT flags) const {
        return ::RedrawWindow(m_hWnd, rect, region, flags);
    }
    BOOL GetClientRect(RECT* rect) const { return ::GetClientRect(m_hWnd, rect); }
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) const {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) const {
        return ::SetTimer(m_hWnd, id, elapse, nullptr);
    }
    BOOL KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id); }
    LRESULT SendMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    HICON SetIcon(HICON icon, BOOL big) const {
        return reinterpret_cast<HICON>(SendMessageW(WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                                                    reinterpret_cast<LPARAM>(icon)));
    }
};

}  // namespace fw
