#include "win_capture.h"

#include <commctrl.h>

namespace testsupport {

PixelGrid CaptureClient(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    // A mirrored window's client origin is its right edge: the screen's leftmost column is
    // what counts.
    RECT onScreen = client;
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&onScreen), 2);
    const POINT origin{onScreen.left < onScreen.right ? onScreen.left : onScreen.right, onScreen.top};
    const int width = client.right, height = client.bottom;
    PixelGrid grid(width, height, 0);
    if (width <= 0 || height <= 0) return grid;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    ::GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const DWORD p = pixels[y * width + x];  // 0x00RRGGBB
            grid.Set(x, y, RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    }
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return grid;
}

PixelGrid ExpectedBar(HWND bar, vantrel::Colour baseColour, int scale) {
    RECT client{};
    ::GetClientRect(bar, &client);
    // Without a structure to fill, so that this works on another process's bar too.
    const int lower = static_cast<int>(::SendMessageW(bar, PBM_GETRANGE, TRUE, 0));
    const int upper = static_cast<int>(::SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
    const int position = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
    const vantrel::BarShades shades = vantrel::ComputeShades(
        baseColour, ::GetSysColor(COLOR_3DDKSHADOW), ::GetSysColor(COLOR_BTNSHADOW));
    const PixelGrid drawn = RenderBar(client.right, client.bottom, lower, upper, position, shades,
                                      ::GetSysColor(COLOR_BTNFACE), scale);
    if ((::GetWindowLongW(bar, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) == 0) return drawn;
    // A mirrored bar shows the same picture reflected, filling from the right.
    PixelGrid reflected(drawn.width(), drawn.height(), 0);
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) reflected.Set(drawn.width() - 1 - x, y, drawn.at(x, y));
    }
    return reflected;
}

std::string WaitForBar(HWND bar, vantrel::Colour baseColour, DWORD timeoutMs, int scale) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        ::RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const std::string difference =
            FirstDifference(ExpectedBar(bar, baseColour, scale), CaptureClient(bar));
        if (difference.empty() || ::GetTickCount64() >= end) return difference;
        ::Sleep(50);
    }
}

}  // namespace testsupport
