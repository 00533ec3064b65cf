#pragma once
// The postpone slider, control 1003. It keeps Enter for itself and does nothing with it:
// left to the dialog, Enter would press "Reboot now", the default button, right after the
// user chose a postpone time with the arrows or the mouse.

#include "framework/controls.h"

class CPostponeSlider : public fw::SliderCtrl {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT result = DefWindowProc(message, wParam, lParam);
        if (message == WM_GETDLGCODE && lParam != 0) {
            const MSG& asked = *reinterpret_cast<const MSG*>(lParam);
            if (asked.wParam == VK_RETURN && (asked.message == WM_KEYDOWN || asked.message == WM_CHAR)) {
                result |= DLGC_WANTMESSAGE;
            }
        }
        return result;
    }
};
