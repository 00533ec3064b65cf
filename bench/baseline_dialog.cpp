// The prompt's baseline: its own dialog template, icon and manifest (plimsay.rc is compiled
// in) in a bare modal dialog with no logic. Built three times: bare_dialog.exe; with
// BASELINE_TIMER timer_dialog.exe, which sets one static text once a second, the least any
// countdown has to do; and with BASELINE_WAKEUPS as well wakeup_dialog.exe, which wakes as
// often as the prompt's behaviour asks: a second one-second timer that looks for a file
// beside the program, and a raise to the top every 5 s made the way the prompt makes it.
// "Postpone" minimises it and ends the raises, as a postponed prompt is minimised and quiet.
// Esc ends all three, as it ends the prompt.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <string>

#include "resource.h"

#if defined(BASELINE_WAKEUPS) && !defined(BASELINE_TIMER)
#define BASELINE_TIMER  // the wake-ups come on top of the one-timer dialog's
#endif

namespace {

#ifdef BASELINE_TIMER
constexpr UINT_PTR kTimer = 1;
#endif

#ifdef BASELINE_WAKEUPS
constexpr UINT_PTR kFlagTimer = 2;
constexpr int kRaiseEveryTicks = 5;
std::wstring g_flag;  // cancel.flag beside the program; never there in a benchmark run
bool g_postponed = false;

std::wstring FlagBesideProgram() {
    std::wstring path(32768, L'\0');
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return {};
    path.resize(length);
    const std::size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return {};
    return path.substr(0, slash + 1) + L"cancel.flag";
}

// On top of every window without taking the keyboard: the prompt's own call.
void Raise(HWND dialog) {
    ::SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
#endif

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
#ifdef BASELINE_TIMER
            ::SetTimer(dialog, kTimer, 1000, nullptr);
#endif
#ifdef BASELINE_WAKEUPS
            g_flag = FlagBesideProgram();
            Raise(dialog);
            ::SetTimer(dialog, kFlagTimer, 1000, nullptr);
#endif
            return TRUE;
#ifdef BASELINE_TIMER
        case WM_TIMER: {
#ifdef BASELINE_WAKEUPS
            if (wParam == kFlagTimer) {
                if (!g_flag.empty() &&
                    ::GetFileAttributesW(g_flag.c_str()) != INVALID_FILE_ATTRIBUTES)
                    ::EndDialog(dialog, IDOK);
                return TRUE;
            }
#endif
            // A changing text, so that every tick repaints the static as a countdown's does.
            static int ticks = 0;
            wchar_t text[12] = {};
            std::swprintf(text, 12, L"%02d", ticks % 60);
            ticks = (ticks + 1) % 60;
            ::SetDlgItemTextW(dialog, IDC_SECONDS, text);
#ifdef BASELINE_WAKEUPS
            if (!g_postponed && ticks % kRaiseEveryTicks == 0) Raise(dialog);
#endif
            return TRUE;
        }
#endif
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
#ifdef BASELINE_WAKEUPS
            if (LOWORD(wParam) == IDC_POSTPONE) {
                g_postponed = true;
                ::ShowWindow(dialog, SW_MINIMIZE);
                return TRUE;
            }
#endif
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
