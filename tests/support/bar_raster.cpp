#include "bar_raster.h"

#include <cstdio>
#include <stdexcept>

namespace testsupport {

void PixelGrid::FillColumns(int right, vantrel::Colour colour) {
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < right && x < m_width; ++x) Set(x, y, colour);
    }
}

void PixelGrid::Segment(vantrel::BarPoint a, vantrel::BarPoint b, vantrel::Colour colour) {
    if (a.x != b.x && a.y != b.y) throw std::logic_error("the bar draws straight lines only");
    const int dx = b.x > a.x ? 1 : b.x < a.x ? -1 : 0;
    const int dy = b.y > a.y ? 1 : b.y < a.y ? -1 : 0;
    for (vantrel::BarPoint p = a; !(p == b); p = {p.x + dx, p.y + dy}) Set(p.x, p.y, colour);
}

PixelGrid RenderBar(int width, int height, int lower, int upper, int position,
                    const vantrel::BarShades& shades, vantrel::Colour buttonFace, int scale) {
    if (scale > 1) {
        const PixelGrid small = RenderBar((width + scale - 1) / scale, (height + scale - 1) / scale,
                                          lower, upper, position, shades, buttonFace);
        PixelGrid grid(width, height, buttonFace);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) grid.Set(x, y, small.at(x / scale, y / scale));
        }
        return grid;
    }
    PixelGrid grid(width, height, buttonFace);
    const int filled = vantrel::FilledWidth(lower, upper, position, width);
    grid.FillColumns(filled, shades.m_crTint3);
    if (filled == 0) return grid;
    for (const vantrel::BevelOp& op : vantrel::BevelOps(filled, height)) {
        const vantrel::Colour colour = vantrel::InkColour(shades, op.ink);
        if (op.kind == vantrel::BevelOp::Kind::kPixel) {
            grid.Set(op.points[0].x, op.points[0].y, colour);
            continue;
        }
        for (int i = 1; i < op.count; ++i) {
            grid.Segment(op.points[static_cast<std::size_t>(i - 1)],
                         op.points[static_cast<std::size_t>(i)], colour);
        }
    }
    return grid;
}

std::string FirstDifference(const PixelGrid& expected, const PixelGrid& actual) {
    char text[160];
    if (expected.width() != actual.width() || expected.height() != actual.height()) {
        std::snprintf(text, sizeof text, "size %dx%d, expected %dx%d", actual.width(),
                      actual.height(), expected.width(), expected.height());
        return text;
    }
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            if (expected.at(x, y) != actual.at(x, y)) {
                std::snprintf(text, sizeof text, "pixel (%d, %d) is %06X, expected %06X", x, y,
                              static_cast<unsigned>(actual.at(x, y)),
                              static_cast<unsigned>(expected.at(x, y)));
                return text;
            }
        }
    }
    return "";
}

}  // namespace testsupport
