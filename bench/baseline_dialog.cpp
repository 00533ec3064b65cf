// The prompt's baseline: its own dialog template, icon and manifest (plimsay.rc is compiled
// in) in a bare modal dialog with no logic. Built twice: bare_dialog.exe, and with
// BASELINE_TIMER timer_dialog.exe, which sets one static text once a second, the least any
// countdown has to do. Esc ends both, as it ends the prompt.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>

#include "resource.h"

namespace {

#ifdef BASELINE_TIMER
constexpr UINT_PTR kTimer = 1;
#endif

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
#ifdef BASELINE_TIMER
            ::SetTimer(dialog, kTimer, 1000, nullptr);
#endif
            return TRUE;
#ifdef BASELINE_TIMER
        case WM_TIMER: {
            // A changing text, so that every tick repaints the static as a countdown's does.
            static int ticks = 0;
            wchar_t text[12] = {};
            std::swprintf(text, 12, L"%02d", ticks++ % 60);
            ::SetDlgItemTextW(dialog, IDC_SECONDS, text);
            return TRUE;
        }
#endif
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The template holds a slider and a progress bar: their classes must be registered.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    return static_cast<int>(
        ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_VANTREL_DIALOG), nullptr, DialogProc, 0));
}
