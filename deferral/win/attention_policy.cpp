#include "attention_policy.h"

namespace attention {

void Show(HWND window) { ::ShowWindow(window, SW_SHOWNOACTIVATE); }

void RaiseOnTop(HWND window) {
    ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool Restore(HWND window) {
    // Showing a shown window again costs Wine a round of window messages every 5 s.
    if (::IsWindowVisible(window) && !::IsIconic(window)) return false;
    Show(window);
    return true;
}

void AskForAttention(HWND window) {
    FLASHWINFO flash{sizeof flash, window, FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
    ::FlashWindowEx(&flash);
}

void PlaceFocus(HWND dialog, int messageId) {
    if (::GetActiveWindow() == dialog && !::IsIconic(dialog)) ::SetFocus(::GetDlgItem(dialog, messageId));
}

bool PressedItself(HWND dialog, int id) {
    return ::GetFocus() == ::GetDlgItem(dialog, id) && !::IsIconic(dialog);
}

}  // namespace attention
