#pragma once
// Renders the countdown bar into a pixel grid with GDI's rules for lines (a segment stops
// before its end point, and runs right to left or bottom to top when its end lies there),
// so that tests can compare what the control draws pixel for pixel. Portable.

#include <cstdint>
#include <string>
#include <vector>

#include "bar_geometry.h"

namespace testsupport {

class PixelGrid {
public:
    PixelGrid(int width, int height, vantrel::Colour fill)
        : m_width(width), m_height(height), m_pixels(static_cast<std::size_t>(width * height), fill) {}

    int width() const { return m_width; }
    int height() const { return m_height; }
    vantrel::Colour at(int x, int y) const { return m_pixels[Index(x, y)]; }
    // Outside the grid nothing happens, as on a bitmap.
    void Set(int x, int y, vantrel::Colour colour) {
        if (x >= 0 && y >= 0 && x < m_width && y < m_height) m_pixels[Index(x, y)] = colour;
    }
    void FillColumns(int right, vantrel::Colour colour);
    // Draws an axis-aligned segment from a up to, not including, b.
    void Segment(vantrel::BarPoint a, vantrel::BarPoint b, vantrel::Colour colour);
    bool operator==(const PixelGrid& other) const {
        return m_width == other.m_width && m_height == other.m_height && m_pixels == other.m_pixels;
    }

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y * m_width + x); }
    int m_width;
    int m_height;
    std::vector<vantrel::Colour> m_pixels;
};

// What the bar's paint should leave in its client area of width by height pixels. At a
// `scale` above 1, the bar of 1/scale the size (rounded up) with each pixel made a square,
// cut to the client area.
PixelGrid RenderBar(int width, int height, int lower, int upper, int position,
                    const vantrel::BarShades& shades, vantrel::Colour buttonFace, int scale = 1);

// The first pixel where two grids differ, as text, or "" when they are equal.
std::string FirstDifference(const PixelGrid& expected, const PixelGrid& actual);

}  // namespace testsupport
