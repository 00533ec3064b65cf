#pragma once
// A control of a dialog bound to a C++ object that sees its messages first.

#include <windows.h>

#include "wnd.h"

namespace fw {

class SubclassWnd : public Wnd {
public:
    SubclassWnd() = default;
    virtual ~SubclassWnd();
    SubclassWnd(const SubclassWnd&) = delete;
    SubclassWnd& operator=(const SubclassWnd&) = delete;

    // Binds the dialog's control `id` and routes its messages through WindowProc.
    bool SubclassDlgItem(int id, HWND dialog);
    bool SubclassWindow(HWND window);
    void UnsubclassWindow();

protected:
    // Sees every message of the window; what it leaves goes to DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The control's own processing (the window class's procedure).
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam, UINT_PTR id, DWORD_PTR self);
};

}  // namespace fw
