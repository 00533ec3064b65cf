// The owner-drawn bar on a real window: what it paints, pixel for pixel, and that painting
// leaks nothing.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "mac_progress_ctrl.h"
#include "win_capture.h"

namespace {

class BarControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&controls);
        m_parent = ::CreateWindowExW(WS_EX_TOPMOST, L"Static", L"", WS_POPUP | WS_VISIBLE, 40, 40,
                                     440, 80, nullptr, nullptr, nullptr, nullptr);
        // The dialog's bar: child, visible, bordered, smooth.
        HWND control = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", 0x50800001, 20, 20, 387, 23,
                                         m_parent, reinterpret_cast<HMENU>(1002), nullptr, nullptr);
        ASSERT_TRUE(m_bar.SubclassWindow(control));
        Pump();
    }
    void TearDown() override { ::DestroyWindow(m_parent); }

    static void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    void Show(std::uint32_t colour, int lower, int upper, int position) {
        m_bar.SetBarColor(colour);
        m_bar.SendMessageW(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper);
        m_bar.SendMessageW(PBM_SETPOS, static_cast<WPARAM>(position), 0);
        m_bar.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }

    // The bar's client area (inside its one-pixel border).
    void SetClientSize(int width, int height) {
        m_bar.SetWindowPos(nullptr, 0, 0, width + 2, height + 2,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    HWND m_parent = nullptr;
    CMacProgressCtrl m_bar;
};

TEST_F(BarControlTest, PaintsWhatTheRasteriserDraws) {
    struct Case {
        std::uint32_t colour;
        int lower, upper, position;
    };
    const Case cases[] = {
        {255, 0, 900, 899},     {255, 0, 900, 450},   {255, 0, 900, 1},
        {0xFF8000, 0, 60, 37},  {0xFF8000, 0, 9, 7},  {255, 0, 60, 60},
        {255, 0, 100000, 50000},  // beyond 16 bits
        {0xFF8000, 0, 65535, 65535},
        {255, 0, 1, 0},          // a countdown of 0: an empty bar
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.colour << std::dec << " " << c.lower
                                          << ".." << c.upper << " at " << c.position);
        Show(c.colour, c.lower, c.upper, c.position);
        EXPECT_EQ(testsupport::WaitForBar(m_bar.m_hWnd, c.colour), "");
    }
}

// Worked out by hand from the bar's rules, not with the code that draws it: shades one step of
// 51 per channel, the filled width truncated (451 of 900 over 385 pixels is 192.9: 192), and
// the bevel's rows and columns at that end.
TEST_F(BarControlTest, PaintsTheShadesAndWidthWorkedOutByHand) {
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    struct Case {
        std::uint32_t colour;
        int x, y;  // in the 385 x 21 client area
        COLORREF expected;
    };
    const Case cases[] = {
        // Red, 255: down column 100, then along row 10 to the filled end at x = 192.
        {255, 100, 0, RGB(204, 0, 0)},      {255, 100, 1, RGB(255, 0, 0)},
        {255, 100, 2, RGB(255, 51, 51)},    {255, 100, 3, RGB(255, 102, 102)},
        {255, 100, 4, RGB(255, 153, 153)},  {255, 100, 15, RGB(255, 153, 153)},
        {255, 100, 16, RGB(255, 102, 102)}, {255, 100, 17, RGB(255, 51, 51)},
        {255, 100, 18, RGB(255, 0, 0)},     {255, 100, 19, RGB(204, 0, 0)},
        {255, 100, 20, RGB(153, 0, 0)},     {255, 0, 10, RGB(255, 0, 0)},
        {255, 1, 10, RGB(255, 153, 153)},   {255, 189, 10, RGB(255, 102, 102)},
        {255, 190, 10, RGB(204, 0, 0)},     {255, 191, 10, RGB(153, 0, 0)},
        {255, 194, 10, face},
        // Blue, 0xFF8000: a channel that would pass 255 or 0 stays.
        {0xFF8000, 100, 10, RGB(153, 230, 255)}, {0xFF8000, 100, 2, RGB(51, 179, 255)},
        {0xFF8000, 100, 19, RGB(0, 77, 204)},    {0xFF8000, 100, 20, RGB(0, 26, 153)},
    };
    std::uint32_t shown = 0;
    testsupport::PixelGrid grid(0, 0, 0);
    for (const Case& c : cases) {
        if (c.colour != shown) {
            Show(c.colour, 0, 900, 451);
            ASSERT_EQ(testsupport::WaitForBar(m_bar.m_hWnd, c.colour), "");  // on the screen
            grid = testsupport::CaptureClient(m_bar.m_hWnd);
            ASSERT_EQ(grid.width(), 385);
            ASSERT_EQ(grid.height(), 21);
            shown = c.colour;
        }
        EXPECT_EQ(grid.at(c.x, c.y), c.expected)
            << std::hex << "bar " << c.colour << std::dec << " at " << c.x << "," << c.y;
    }
}

TEST_F(BarControlTest, ExtremeSizesAndRangesStillMatch) {
    struct Case {
        int width, height, lower, upper, position;
    };
    const Case cases[] = {
        {40, 12, 0, 40, 1}, {40, 12, 0, 40, 2}, {40, 12, 0, 40, 3}, {40, 12, 0, 40, 4},
        {40, 3, 0, 40, 20},  // rows drawn bottom to top over each other
        {40, 1, 0, 40, 20},  {385, 20, -50, 50, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " " << c.lower << ".."
                                          << c.upper << " at " << c.position);
        SetClientSize(c.width, c.height);
        Show(0xFF8000, c.lower, c.upper, c.position);
        EXPECT_EQ(testsupport::WaitForBar(m_bar.m_hWnd, 0xFF8000), "");
    }
}

TEST_F(BarControlTest, At192DpiTheBevelIsTwiceAsDeep) {
    SetClientSize(385, 41);  // the dialog's bar at 192 DPI, an odd height cut at the bottom
    m_bar.SetDpi(192);
    Show(255, 0, 900, 450);
    EXPECT_EQ(testsupport::WaitForBar(m_bar.m_hWnd, 255, 2000, 2), "");
    // Worked by hand: the base-colour frame is two pixels wide, so (1, 1) is no longer the
    // first tint it is at 96 DPI.
    EXPECT_EQ(testsupport::CaptureClient(m_bar.m_hWnd).at(1, 1), 255u);
    m_bar.SetDpi(120);  // back to the pixels of 96 DPI
    EXPECT_EQ(testsupport::WaitForBar(m_bar.m_hWnd, 255), "");
}

// Counts the paints that reach the bar, before its own handling.
LRESULT CALLBACK CountPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR paints) {
    if (message == WM_PAINT) ++*reinterpret_cast<int*>(paints);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(BarControlTest, AColourChangeRepaintsOnceAndAtOnce) {
    Show(255, 0, 900, 450);
    int paints = 0;
    ASSERT_TRUE(::SetWindowSubclass(m_bar.m_hWnd, CountPaints, 7, reinterpret_cast<DWORD_PTR>(&paints)));
    m_bar.SetBarColor(0xFF8000);
    m_bar.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(paints, 1);
    RECT pending{};
    EXPECT_FALSE(::GetUpdateRect(m_bar.m_hWnd, &pending, FALSE));  // nothing left to paint
    ::RemoveWindowSubclass(m_bar.m_hWnd, CountPaints, 7);
}

TEST_F(BarControlTest, ANewPositionRepaintsOnlyWhenTheEndMoves) {
    Show(255, 0, 900, 450);
    Pump();
    int paints = 0;
    ASSERT_TRUE(
        ::SetWindowSubclass(m_bar.m_hWnd, CountPaints, 7, reinterpret_cast<DWORD_PTR>(&paints)));
    struct Step {
        int position, kept, paints;
    };
    // In turn; the bar's 385 pixels hold about two positions each.
    const Step steps[] = {{451, 451, 0}, {300, 300, 1}, {1000, 900, 1}, {-5, 0, 1}, {0, 0, 0}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.position);
        paints = 0;
        m_bar.SendMessageW(PBM_SETPOS, static_cast<WPARAM>(step.position), 0);
        Pump();
        EXPECT_EQ(paints, step.paints);
        EXPECT_EQ(m_bar.GetPos(), step.kept);
        EXPECT_EQ(testsupport::WaitForBar(m_bar.m_hWnd, 255), "");
    }
    ::RemoveWindowSubclass(m_bar.m_hWnd, CountPaints, 7);
}

TEST_F(BarControlTest, AnEmptyRangeShowsOnlyTheBackground) {
    // Whatever the control keeps of such a range, the paint must neither divide by zero nor
    // fill anything.
    Show(255, 5, 5, 5);
    const testsupport::PixelGrid shown = testsupport::CaptureClient(m_bar.m_hWnd);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(testsupport::FirstDifference(
                  testsupport::PixelGrid(shown.width(), shown.height(), face), shown),
              "");
}

TEST_F(BarControlTest, NeverErasesItsBackgroundFirst) {
    HDC dc = ::GetDC(m_bar.m_hWnd);
    EXPECT_EQ(m_bar.SendMessageW(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    ::ReleaseDC(m_bar.m_hWnd, dc);
}

// How many more GDI objects this process can make: what every paint creates must be gone
// afterwards, or this shrinks. (Wine's per-process object count is a stub that says 0.)
int FreeGdiObjects() {
    std::vector<HPEN> pens;
    while (pens.size() < 100000) {
        HPEN pen = ::CreatePen(PS_SOLID, 1, RGB(pens.size() & 0xFF, 0, 0));
        if (pen == nullptr) break;
        pens.push_back(pen);
    }
    for (HPEN pen : pens) ::DeleteObject(pen);
    return static_cast<int>(pens.size());
}

TEST_F(BarControlTest, AThousandPaintsAndColourChangesLeakNothing) {
    Show(255, 0, 1000, 1000);
    const DWORD countBefore = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    const int freeBefore = FreeGdiObjects();
    for (int i = 0; i < 1000; ++i) Show(i % 2 ? 0xFF8000 : 255, 0, 1000, 1000 - i);
    EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), countBefore);
    EXPECT_EQ(FreeGdiObjects(), freeBefore);
    EXPECT_EQ(testsupport::WaitForBar(m_bar.m_hWnd, 0xFF8000), "");
}

}  // namespace
