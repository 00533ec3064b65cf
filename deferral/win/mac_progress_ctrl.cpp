#include "mac_progress_ctrl.h"

#include "framework/gdi.h"

namespace {

fw::UniquePen SolidPen(COLORREF colour) { return fw::UniquePen(::CreatePen(PS_SOLID, 1, colour)); }

}  // namespace

CMacProgressCtrl::CMacProgressCtrl() {
    m_shades.m_crBar = ::GetSysColor(COLOR_HIGHLIGHT);
    ComputeShades();
    RebuildPens();
}

CMacProgressCtrl::~CMacProgressCtrl() { ReleasePens(); }

void CMacProgressCtrl::SetBarColor(std::uint32_t colour) {
    m_shades.m_crBar = colour;
    ComputeShades();
    RebuildPens();
}

void CMacProgressCtrl::SetDpi(int dpi) {
    const int scale = vantrel::BevelScale(dpi);
    if (scale == m_scale) return;
    m_scale = scale;
    if (m_hWnd != nullptr) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CMacProgressCtrl::ComputeShades() {
    // The system's edge colours of this moment; a later change shows at the next colour.
    m_shades = vantrel::ComputeShades(m_shades.m_crBar, ::GetSysColor(COLOR_3DDKSHADOW),
                                      ::GetSysColor(COLOR_BTNSHADOW));
}

void CMacProgressCtrl::RebuildPens() {
    ReleasePens();
    m_penTint1 = SolidPen(m_shades.m_crTint1);
    m_penTint2 = SolidPen(m_shades.m_crTint2);
    m_penBar = SolidPen(m_shades.m_crBar);
    m_penShade1 = SolidPen(m_shades.m_crShade1);
    m_penShade2 = SolidPen(m_shades.m_crShade2);
    m_penEdgeMid = SolidPen(m_shades.m_crEdgeMid);
    m_penEdge = SolidPen(m_shades.m_crEdge);
}

void CMacProgressCtrl::ReleasePens() {
    for (fw::UniquePen* pen : {&m_penBar, &m_penTint1, &m_penTint2, &m_penShade1, &m_penShade2,
                               &m_penEdgeMid, &m_penEdge}) {
        pen->reset();
    }
}

LRESULT CMacProgressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel; erasing first would flicker
        case WM_TIMER:
            return 0;
        case PBM_SETPOS:
            return SetPosition(static_cast<int>(wParam));
        case PBM_GETPOS:
            return m_position;
        case PBM_SETRANGE:
        case PBM_SETRANGE32: {
            const LRESULT previous = DefWindowProc(message, wParam, lParam);
            m_range = Range();
            SetPosition(m_position);  // kept inside the new range, as the control does
            return previous;
        }
        default:
            return DefWindowProc(message, wParam, lParam);
    }
}

SIZE CMacProgressCtrl::PictureSize() const {
    RECT client{};
    GetClientRect(&client);
    return {(client.right + m_scale - 1) / m_scale, (client.bottom + m_scale - 1) / m_scale};
}

int CMacProgressCtrl::FilledWidth(int position) const {
    return vantrel::FilledWidth(m_range.iLow, m_range.iHigh, position, PictureSize().cx);
}

PBRANGE CMacProgressCtrl::Range() const {
    // Asked of the control's own procedure: sent to the window it would pass the subclass.
    PBRANGE range{};
    DefWindowProc(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    return range;
}

LRESULT CMacProgressCtrl::SetPosition(int position) {
    // The position is kept here, not by the control: the control repaints (at once, under
    // Wine) at every new position, yet over an hour's countdown the bar's end moves a pixel
    // only every dozen seconds. The bar is repainted when its end moves.
    const int previous = m_position;
    const int before = FilledWidth(previous);
    // Not std::clamp: a range set upside down must not be undefined behaviour.
    m_position = position < m_range.iLow ? m_range.iLow
                 : position > m_range.iHigh ? m_range.iHigh
                                            : position;
    if (FilledWidth(m_position) != before) ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return previous;
}

void CMacProgressCtrl::OnPaint() {
    fw::PaintDc dc(m_hWnd);
    // At a high DPI, today's bar at 1/s size with each pixel an s by s square: the bevel
    // keeps its proportions and every colour stays exact.
    const SIZE size = PictureSize();
    const RECT client{0, 0, size.cx, size.cy};
    fw::DoubleBuffer buffer(dc.get(), client.right, client.bottom);
    const fw::UniqueBrush fill(::CreateSolidBrush(m_shades.m_crTint3));
    const fw::UniqueBrush background(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE)));
    ::FillRect(buffer.get(), &client, background.get());

    RECT filled = client;
    filled.right = FilledWidth(m_position);
    ::FillRect(buffer.get(), &filled, fill.get());
    if (filled.right != 0) PaintHorizontalBar(buffer.get(), filled);
    buffer.Present(m_scale);
}

void CMacProgressCtrl::PaintHorizontalBar(HDC dc, RECT filled) const {
    for (const vantrel::BevelOp& op : vantrel::BevelOps(filled.right, filled.bottom)) {
        if (op.kind == vantrel::BevelOp::Kind::kPixel) {
            ::SetPixel(dc, op.points[0].x, op.points[0].y, vantrel::InkColour(m_shades, op.ink));
            continue;
        }
        const fw::SelectGuard pen(dc, PenFor(op.ink));
        ::MoveToEx(dc, op.points[0].x, op.points[0].y, nullptr);
        for (int i = 1; i < op.count; ++i) {
            const vantrel::BarPoint& p = op.points[static_cast<std::size_t>(i)];
            ::LineTo(dc, p.x, p.y);
        }
    }
}

HPEN CMacProgressCtrl::PenFor(vantrel::BarInk ink) const {
    using vantrel::BarInk;
    switch (ink) {
        case BarInk::kTint1: return m_penTint1.get();
        case BarInk::kTint2: return m_penTint2.get();
        case BarInk::kBar: return m_penBar.get();
        case BarInk::kShade1: return m_penShade1.get();
        case BarInk::kShade2: return m_penShade2.get();
        case BarInk::kEdgeMid: return m_penEdgeMid.get();
        case BarInk::kEdge: return m_penEdge.get();
    }
    return nullptr;
}
