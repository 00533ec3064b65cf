#pragma once
// The common controls the prompt uses, as bindable wrappers.

#include <windows.h>
#include <commctrl.h>

#include "subclass_wnd.h"

namespace fw {

class ProgressCtrl : public SubclassWnd {
public:
    void GetRange(int& lower, int& upper) const {
        PBRANGE range{};
        SendMessageW(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        lower = range.iLow;
        upper = range.iHigh;
    }
    int GetPos() const { return static_cast<int>(SendMessageW(PBM_GETPOS)); }
};

class SliderCtrl : public SubclassWnd {
public:
    void SetRange(int minimum, int maximum, BOOL redraw) const {
        SendMessageW(TBM_SETRANGEMIN, FALSE, minimum);
        SendMessageW(TBM_SETRANGEMAX, redraw, maximum);
    }
    void SetPageSize(int size) const { SendMessageW(TBM_SETPAGESIZE, 0, size); }
    void SetPos(int position, BOOL redraw) const { SendMessageW(TBM_SETPOS, redraw, position); }
    int GetPos() const { return static_cast<int>(SendMessageW(TBM_GETPOS)); }
};

}  // namespace fw
