#include "bar_geometry.h"

#include <cfloat>

// The filled width depends on single-precision rounding; x87 excess precision would change it.
static_assert(FLT_EVAL_METHOD == 0, "float arithmetic must round to float");

namespace vantrel {
namespace {

constexpr int kStep = 51;

int Channel(Colour colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }

Colour FromChannels(int red, int green, int blue) {
    return static_cast<Colour>(red) | static_cast<Colour>(green) << 8 |
           static_cast<Colour>(blue) << 16;
}

template <typename F>
Colour PerChannel(Colour colour, F f) {
    return FromChannels(f(Channel(colour, 0)), f(Channel(colour, 8)), f(Channel(colour, 16)));
}

BevelOp Lines(BarInk ink, std::initializer_list<BarPoint> points) {
    BevelOp op{BevelOp::Kind::kLines, ink, static_cast<int>(points.size()), {}};
    int i = 0;
    for (const BarPoint& p : points) op.points[static_cast<std::size_t>(i++)] = p;
    return op;
}

BevelOp Pixel(BarInk ink, int x, int y) {
    return {BevelOp::Kind::kPixel, ink, 1, {BarPoint{x, y}}};
}

}  // namespace

Colour Lighten(Colour colour) {
    return PerChannel(colour, [](int v) { return v <= 255 - kStep ? v + kStep : v; });
}

Colour Darken(Colour colour) {
    return PerChannel(colour, [](int v) { return v >= kStep ? v - kStep : v; });
}

Colour EdgeMid(Colour edge, Colour edgeDark) {
    // An arithmetic shift halves a negative difference downwards: 160 and 105 give 132.
    const auto mid = [](int e, int d) { return e + ((d - e) >> 1); };
    return FromChannels(mid(Channel(edge, 0), Channel(edgeDark, 0)),
                        mid(Channel(edge, 8), Channel(edgeDark, 8)),
                        mid(Channel(edge, 16), Channel(edgeDark, 16)));
}

BarShades ComputeShades(Colour bar, Colour edgeDark, Colour edge) {
    BarShades s;
    s.m_crBar = bar;
    s.m_crTint1 = Lighten(bar);
    s.m_crTint2 = Lighten(s.m_crTint1);
    s.m_crTint3 = Lighten(s.m_crTint2);
    s.m_crShade1 = Darken(bar);
    s.m_crShade2 = Darken(s.m_crShade1);
    s.m_crEdgeDark = edgeDark;
    s.m_crEdge = edge;
    s.m_crEdgeMid = EdgeMid(edge, edgeDark);
    return s;
}

int FilledWidth(int lower, int upper, int position, int width) {
    if (upper <= lower || width <= 0) return 0;
    // The range and the position may span all of 32 bits: subtract in 64.
    const float span = static_cast<float>(static_cast<std::int64_t>(upper) - lower);
    const float done = static_cast<float>(static_cast<std::int64_t>(position) - lower);
    const float product = done * static_cast<float>(width);  // kept in single precision
    const float w = product / span;
    if (!(w > 0.0f)) return 0;
    if (w >= static_cast<float>(width)) return width;
    return static_cast<int>(w);
}

Colour InkColour(const BarShades& shades, BarInk ink) {
    switch (ink) {
        case BarInk::kTint1: return shades.m_crTint1;
        case BarInk::kTint2: return shades.m_crTint2;
        case BarInk::kBar: return shades.m_crBar;
        case BarInk::kShade1: return shades.m_crShade1;
        case BarInk::kShade2: return shades.m_crShade2;
        case BarInk::kEdgeMid: return shades.m_crEdgeMid;
        case BarInk::kEdge: return shades.m_crEdge;
    }
    return shades.m_crBar;
}

int BevelScale(int dpi) {
    constexpr int kHighest = 96 * 16;  // far beyond any screen, and no overflow below it
    if (dpi < 96) return 1;
    return ((dpi < kHighest ? dpi : kHighest) + 48) / 96;
}

std::array<BevelOp, kBevelOpCount> BevelOps(int width, int height) {
    const int L = 0, T = 0, R = width, B = height;
    using I = BarInk;
    return {{
        Lines(I::kTint1, {{L + 2, B - 4}, {R - 2, B - 4}}),
        Lines(I::kTint1, {{L + 2, T + 2}, {R - 2, T + 2}}),
        Pixel(I::kTint1, L + 1, B - 3),
        Pixel(I::kTint1, L + 1, T + 1),
        Lines(I::kTint2, {{L + 2, B - 5}, {R - 3, B - 5}, {R - 3, T + 3}, {L + 1, T + 3}}),
        Pixel(I::kTint2, L + 1, B - 4),
        Pixel(I::kTint2, L + 1, T + 2),
        Lines(I::kBar, {{L, B - 1}, {L, T}, {L + 2, T}}),
        Pixel(I::kBar, L + 1, B - 2),
        Lines(I::kBar, {{L + 2, B - 3}, {R - 2, B - 3}}),
        Lines(I::kBar, {{L + 2, T + 1}, {R - 1, T + 1}}),
        Lines(I::kShade1, {{L + 2, B - 2}, {R - 2, B - 2}, {R - 2, T + 1}}),
        Lines(I::kShade1, {{L + 2, T}, {R, T}}),
        Pixel(I::kShade1, L + 1, B - 1),
        Lines(I::kShade2, {{L + 2, B - 1}, {R - 1, B - 1}, {R - 1, T}}),
        Lines(I::kEdgeMid, {{R, T}, {R, B}}),
        Lines(I::kEdge, {{R + 1, T}, {R + 1, B}}),
    }};
}

}  // namespace vantrel
