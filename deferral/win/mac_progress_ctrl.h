#pragma once
// The countdown bar, control 1002: the standard progress bar's range and position, drawn
// as a bevelled bar in shades of one base colour, composed off screen without flicker.
// PBM_SETPOS and PBM_GETPOS are answered here, so that a new position repaints only when
// the bar's end moves.

#include <cstdint>

#include "bar_geometry.h"
#include "framework/controls.h"
#include "framework/gdi.h"

class CMacProgressCtrl : public fw::ProgressCtrl {
public:
    CMacProgressCtrl();
    ~CMacProgressCtrl() override;
    CMacProgressCtrl(const CMacProgressCtrl&) = delete;
    CMacProgressCtrl& operator=(const CMacProgressCtrl&) = delete;

    // A new base colour; the caller redraws the bar.
    void SetBarColor(std::uint32_t colour);
    // The DPI of the bar's window, which sets the bevel's scale; repaints when that changes.
    void SetDpi(int dpi);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ComputeShades();
    void RebuildPens();
    void ReleasePens();
    // The bar is drawn at 1/m_scale of its client size, rounded up, then enlarged.
    SIZE PictureSize() const;
    int FilledWidth(int position) const;  // in pixels of that picture
    PBRANGE Range() const;
    LRESULT SetPosition(int position);  // gives the previous one
    void OnPaint();
    void PaintHorizontalBar(HDC dc, RECT filled) const;
    HPEN PenFor(vantrel::BarInk ink) const;

    fw::UniquePen m_penBar;
    fw::UniquePen m_penTint1;
    fw::UniquePen m_penTint2;
    fw::UniquePen m_penShade1;
    fw::UniquePen m_penShade2;
    fw::UniquePen m_penEdgeMid;
    fw::UniquePen m_penEdge;
    vantrel::BarShades m_shades;  // m_crBar and the colours derived from it
    // The control's range, as it was last set (its default at first), and PBM_SETPOS's
    // position within it; the control's own position is unused.
    PBRANGE m_range{0, 100};
    int m_position = 0;
    int m_scale = 1;
};
