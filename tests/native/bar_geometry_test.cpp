// The countdown bar's colours, filled width and bevel, against hand-worked results.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bar_geometry.h"
#include "bar_raster.h"

namespace vantrel {
namespace {

constexpr Colour Rgb(int r, int g, int b) {
    return static_cast<Colour>(r) | static_cast<Colour>(g) << 8 | static_cast<Colour>(b) << 16;
}

TEST(BarShades, LightenAndDarkenByFiftyOneWithoutPassingTheEnds) {
    const BarShades red = ComputeShades(255, 0, 0);
    EXPECT_EQ(red.m_crTint1, Rgb(255, 51, 51));
    EXPECT_EQ(red.m_crTint2, Rgb(255, 102, 102));
    EXPECT_EQ(red.m_crTint3, Rgb(255, 153, 153));
    EXPECT_EQ(red.m_crShade1, Rgb(204, 0, 0));
    EXPECT_EQ(red.m_crShade2, Rgb(153, 0, 0));

    const BarShades blue = ComputeShades(0xFF8000, 0, 0);
    EXPECT_EQ(blue.m_crTint1, Rgb(51, 179, 255));
    EXPECT_EQ(blue.m_crTint2, Rgb(102, 230, 255));
    EXPECT_EQ(blue.m_crTint3, Rgb(153, 230, 255));  // 230 + 51 would pass 255
    EXPECT_EQ(blue.m_crShade1, Rgb(0, 77, 204));
    EXPECT_EQ(blue.m_crShade2, Rgb(0, 26, 153));

    EXPECT_EQ(Lighten(Rgb(204, 205, 0)), Rgb(255, 205, 51));
    EXPECT_EQ(Darken(Rgb(51, 50, 255)), Rgb(0, 50, 204));
    // Bits 24-31 of the base never reach a derived colour.
    EXPECT_EQ(Lighten(0xFF0000FFu), Rgb(255, 51, 51));
    EXPECT_EQ(Darken(0x12FFFFFFu), Rgb(204, 204, 204));
}

TEST(BarShades, TheEdgeMidpointRoundsDown) {
    EXPECT_EQ(EdgeMid(Rgb(160, 160, 160), Rgb(105, 105, 105)), Rgb(132, 132, 132));
    EXPECT_EQ(EdgeMid(Rgb(105, 105, 105), Rgb(160, 160, 160)), Rgb(132, 132, 132));
    EXPECT_EQ(EdgeMid(Rgb(160, 160, 160), Rgb(0, 0, 0)), Rgb(80, 80, 80));
    EXPECT_EQ(EdgeMid(Rgb(0, 255, 1), Rgb(255, 0, 0)), Rgb(127, 127, 0));
    const BarShades s = ComputeShades(255, Rgb(105, 105, 105), Rgb(160, 160, 160));
    EXPECT_EQ(s.m_crEdgeMid, Rgb(132, 132, 132));
    EXPECT_EQ(s.m_crEdge, Rgb(160, 160, 160));
    EXPECT_EQ(s.m_crEdgeDark, Rgb(105, 105, 105));
}

TEST(BarWidth, IsComputedInSinglePrecision) {
    struct Case {
        int lower, upper, position, width, expected;
    };
    const Case cases[] = {
        {0, 900, 899, 385, 384},
        {0, 900, 450, 385, 192},
        {0, 900, 1, 385, 0},
        {0, 9, 7, 300, 233},
        {0, 65535, 65535, 387, 386},  // 65535 x 387 is not exact in a float
        {0, 900, 900, 385, 385},
        {0, 900, 0, 385, 0},
        // Sound where the range gives nothing to divide by or lies outside 16 bits.
        {0, 0, 0, 385, 0},
        {5, 5, 5, 385, 0},
        {10, 5, 7, 385, 0},
        {0, 100000, 100000, 385, 385},
        {0, 100000, 50000, 385, 192},
        {INT32_MIN, INT32_MAX, INT32_MAX, 385, 385},
        {0, 10, 20, 385, 385},  // never wider than the bar
        {0, 10, -5, 385, 0},
        {0, 10, 5, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FilledWidth(c.lower, c.upper, c.position, c.width), c.expected)
            << c.lower << ".." << c.upper << " at " << c.position << " across " << c.width;
    }
}

TEST(BarBevel, ScalesByWholeStepsOfTheDpi) {
    const int cases[][2] = {{96, 1},  {120, 1}, {143, 1},      {144, 2}, {192, 2},
                            {240, 3}, {288, 3}, {0, 1},        {-96, 1}, {72, 1},
                            {INT32_MAX, 16}};
    for (const auto& [dpi, scale] : cases) EXPECT_EQ(BevelScale(dpi), scale) << dpi;
}

// Each of the bar's colours as a letter: B base, 1-3 tints, S and s shades, m edge midpoint,
// e edge, . background.
const BarShades kLetters = [] {
    BarShades s;
    s.m_crBar = 'B';
    s.m_crTint1 = '1';
    s.m_crTint2 = '2';
    s.m_crTint3 = '3';
    s.m_crShade1 = 'S';
    s.m_crShade2 = 's';
    s.m_crEdgeMid = 'm';
    s.m_crEdge = 'e';
    return s;
}();

std::vector<std::string> Rows(const testsupport::PixelGrid& grid) {
    std::vector<std::string> rows;
    for (int y = 0; y < grid.height(); ++y) {
        std::string row;
        for (int x = 0; x < grid.width(); ++x) row.push_back(static_cast<char>(grid.at(x, y)));
        rows.push_back(row);
    }
    return rows;
}

// A bar 14 pixels wide and 12 high, range 0 to 14, so the position is the filled width.
std::vector<std::string> Bar(int filled, int width = 14) {
    return Rows(testsupport::RenderBar(width, 12, 0, width, filled, kLetters, '.'));
}

TEST(BarBevel, AWideBarHasItsRowsAndSoftenedEnds) {
    // Rows top to bottom: shade 1, base, tint 1, tint 2, fill, tint 2, tint 1, base, shade 1,
    // shade 2; the shadow two columns wide right of the filled part.
    const std::vector<std::string> expected = {
        "BBSSSSSSSSme..",
        "B1BBBBBBBsme..",
        "B2111111Ssme..",
        "B3222222Ssme..",
        "B3333332Ssme..",
        "B3333332Ssme..",
        "B3333332Ssme..",
        "B3222222Ssme..",
        "B2111111Ssme..",
        "B1BBBBBBSsme..",
        "BBSSSSSSSsme..",
        "BSssssssssme..",
    };
    EXPECT_EQ(Bar(10), expected);
}

TEST(BarBevel, AFullBarLeavesItsShadowOutside) {
    std::vector<std::string> expected = {
        "BBSSSSSSSS", "B1BBBBBBBs", "B2111111Ss", "B3222222Ss", "B3333332Ss", "B3333332Ss",
        "B3333332Ss", "B3222222Ss", "B2111111Ss", "B1BBBBBBSs", "BBSSSSSSSs", "BSssssssss",
    };
    EXPECT_EQ(Bar(10, 10), expected);
}

TEST(BarBevel, NarrowBarsDrawEverySegmentEvenBackwards) {
    const std::string dots(10, '.');
    std::vector<std::string> one(12, "sme..........."), two(12, "Ssme" + dots), three(12),
        four;
    one[0] = "Bme...........";
    two[0] = "BBme" + dots;
    two[1] = "Bsme" + dots;
    two[11] = "Bsme" + dots;
    for (int y = 0; y < 12; ++y) three[static_cast<std::size_t>(y)] = "BSsme" + dots.substr(1);
    three[0] = "BBSme" + dots.substr(1);
    three[1] = "B1sme" + dots.substr(1);
    const std::string eight = dots.substr(2);
    four = {"BBSSme" + eight, "B1Bsme" + eight, "B2Ssme" + eight, "B3Ssme" + eight,
            "B2Ssme" + eight, "B2Ssme" + eight, "B2Ssme" + eight, "B2Ssme" + eight,
            "B2Ssme" + eight, "B1Ssme" + eight, "BBSsme" + eight, "BSssme" + eight};
    EXPECT_EQ(Bar(1), one);
    EXPECT_EQ(Bar(2), two);
    EXPECT_EQ(Bar(3), three);
    EXPECT_EQ(Bar(4), four);
}

TEST(BarBevel, AnEmptyBarIsBackgroundOnly) {
    const std::vector<std::string> empty(12, std::string(14, '.'));
    EXPECT_EQ(Bar(0), empty);
    EXPECT_EQ(Rows(testsupport::RenderBar(14, 12, 5, 5, 5, kLetters, '.')), empty);
}

TEST(BarBevel, TheLastColumnOfALargeRangeShowsTheEdgeMidpoint) {
    // 65535 of 65535 across 387 fills 386 columns: column 386 is the shadow.
    const testsupport::PixelGrid grid = testsupport::RenderBar(387, 12, 0, 65535, 65535, kLetters, '.');
    for (int y = 0; y < 12; ++y) EXPECT_EQ(grid.at(386, y), static_cast<Colour>('m'));
}

}  // namespace
}  // namespace vantrel
