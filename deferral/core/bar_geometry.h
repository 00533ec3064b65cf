#pragma once
// The countdown bar's looks: the shades of its base colour, how much of it is filled, and
// the bevel drawn over the filled part, as a list of drawing operations.

#include <array>
#include <cstdint>

namespace vantrel {

using Colour = std::uint32_t;  // a Windows colour value, 0x00BBGGRR

// One step lighter or darker per channel; a channel that would pass 255 or 0 stays.
Colour Lighten(Colour colour);
Colour Darken(Colour colour);

// Each channel e + ((d - e) >> 1), the shift arithmetic: the midpoint rounded down.
Colour EdgeMid(Colour edge, Colour edgeDark);

struct BarShades {
    Colour m_crBar = 0;
    Colour m_crTint1 = 0;
    Colour m_crTint2 = 0;
    Colour m_crTint3 = 0;  // the fill
    Colour m_crShade1 = 0;
    Colour m_crShade2 = 0;
    Colour m_crEdgeDark = 0;
    Colour m_crEdgeMid = 0;
    Colour m_crEdge = 0;
};

// The shades of `bar`, with the system's dark shadow and button shadow colours.
BarShades ComputeShades(Colour bar, Colour edgeDark, Colour edge);

// The filled width for `position` in lower..upper across `width` pixels, computed in single
// precision as the bar always drew it. An empty range fills nothing; the result is 0..width.
int FilledWidth(int lower, int upper, int position, int width);

// Which of the bar's colours a drawing operation uses (its pen, or its pixel's colour).
enum class BarInk { kTint1, kTint2, kBar, kShade1, kShade2, kEdgeMid, kEdge };

Colour InkColour(const BarShades& shades, BarInk ink);

struct BarPoint {
    int x;
    int y;
    friend bool operator==(const BarPoint&, const BarPoint&) = default;
};

// A line chain drawn like MoveTo and LineTo (each segment stops before its end point), or
// one pixel.
struct BevelOp {
    enum class Kind { kLines, kPixel };
    Kind kind;
    BarInk ink;
    int count;  // points in use
    std::array<BarPoint, 4> points;
};

inline constexpr std::size_t kBevelOpCount = 17;

// The whole factor the bar is enlarged by at `dpi`: 1 up to 143 DPI (so 96 and 120 DPI draw
// the same pixels), 2 from 144, 3 from 240; 1 for a DPI that makes no sense.
int BevelScale(int dpi);

// The bevel over a filled part `width` pixels wide (at least 1) and `height` high.
std::array<BevelOp, kBevelOpCount> BevelOps(int width, int height);

}  // namespace vantrel
