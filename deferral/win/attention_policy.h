#pragma once
// How the prompt gets the user's eye, and where the keyboard may act. The prompt ends in a
// forced restart that closes programs without saving, so a key typed for another program
// must never reach it: it is shown, kept on top and brought back without activation, and
// asks for attention by flashing. Only the user's click, Alt+Tab or the taskbar button makes
// it the active window, and only a press aimed at a button acts.

#include <windows.h>

namespace attention {

// Shown (restored, if minimised); the keyboard stays where it is.
void Show(HWND window);
// On top of every window; the keyboard stays where it is.
void RaiseOnTop(HWND window);
// Shown normally again if minimised or hidden, true then; the keyboard stays where it is.
bool Restore(HWND window);
// The caption and the taskbar button flash until the user comes to the window.
void AskForAttention(HWND window);

// The focus the dialog places itself: the read-only message, where Space, Enter and letters
// do nothing. Not while the dialog is inactive, where a focus would activate it.
void PlaceFocus(HWND dialog, int messageId);

// Whether the click of button `id` being handled was aimed at it: the button has the focus
// (a click and an accessibility tool's invoke give it the focus first; Enter that the
// dialog manager sends to the default button from another control does not) and the window
// is not minimised (where no key can be meant for it).
bool PressedItself(HWND dialog, int id);

}  // namespace attention
