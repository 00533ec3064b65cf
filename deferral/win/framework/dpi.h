#pragma once
// The DPI a window is drawn at, and images loaded for it.

#include <windows.h>

#include "gdi.h"

namespace fw {

// Its monitor's DPI for a per-monitor aware window (Windows 10 1607 and later), else the
// system's. Looked up at run time: older systems lack the function.
inline int WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast): GetProcAddress's contract
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = getDpi != nullptr ? getDpi(window) : 0;
    if (dpi != 0) return static_cast<int>(dpi);
    HDC screen = ::GetDC(nullptr);
    const int systemDpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return systemDpi;
}

// Icon `id` drawn for `side` pixels at 96 DPI, at `dpi`: the icon's own image of that
// size when it has one.
inline UniqueIcon LoadIconForDpi(HINSTANCE instance, int id, int side, int dpi) {
    const int pixels = ::MulDiv(side, dpi, 96);
    return UniqueIcon(static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, pixels, pixels, LR_DEFAULTCOLOR)));
}

}  // namespace fw
