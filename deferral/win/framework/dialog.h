#pragma once
// A modal dialog from a template, dispatching to virtual handlers.

#include <windows.h>

#include "subclass_wnd.h"
#include "wnd.h"

namespace fw {

// What DoDataExchange binds controls through.
struct DataExchange {
    HWND m_dialog;
};

// Binds control `id` of the dialog to `control`, which then sees its messages first.
void DDX_Control(DataExchange& exchange, int id, SubclassWnd& control);

class Dialog : public Wnd {
public:
    explicit Dialog(UINT templateId, HWND parent = nullptr);
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog until EndDialog; returns its result, or -1 when it could not be made.
    INT_PTR DoModal();

protected:
    // The base creates the bindings (DoDataExchange); returns TRUE to let the dialog
    // manager give the focus to the first tab stop.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange& exchange);
    virtual void OnOK();
    virtual void OnCancel();
    // The derived class's message map: true when it handled the message, with its result.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    void EndDialog(INT_PTR result) const { ::EndDialog(m_hWnd, result); }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_parent;
};

}  // namespace fw
