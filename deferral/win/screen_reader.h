#pragma once
// What a screen reader hears of the prompt beyond its controls' own texts: names for the
// textless slider and bar and for the message, the dialog's description, and the time left.
// The countdown's digits and units are four separate statics, so the time is told as one
// sentence ("System will reboot in: 1 min 28 sec") on the countdown label, a polite live
// region, and as the bar's value.

#include <windows.h>

#include <cstdint>

#include "accessible_names.h"

class ScreenReaderTexts {
public:
    // Once the dialog's texts are set.
    void Annotate(HWND dialog);
    // The time left as the live region's sentence and the bar's value; said now when
    // `announce` (as the prompt appears or returns urgent), else only kept current.
    void TellTimeLeft(HWND dialog, std::int32_t seconds, bool announce);
    // Every annotation removed; for WM_DESTROY.
    void Clear() { m_names.Clear(); }

private:
    AccessibleNames m_names;
};
