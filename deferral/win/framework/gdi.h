#pragma once
// GDI objects and icons owned, device contexts for painting: select guards, the paint DC
// and an off-screen buffer.

#include <windows.h>

#include "winbase/unique_handle.h"

namespace fw {

template <typename T>
struct GdiTraits {
    static T Invalid() { return nullptr; }
    static void Close(T handle) { ::DeleteObject(handle); }
};

struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC dc) { ::DeleteDC(dc); }
};

struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON icon) { ::DestroyIcon(icon); }
};

template <typename T>
using UniqueGdi = winbase::UniqueResource<T, GdiTraits<T>>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueMemoryDc = winbase::UniqueResource<HDC, MemoryDcTraits>;
using UniqueIcon = winbase::UniqueResource<HICON, IconTraits>;

// Selects an object into a DC and puts the previous one back when it goes. An empty
// object (a pen whose creation failed) is not selected, so the previous one stays in use.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object)
        : m_dc(dc), m_previous(object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectGuard() {
        if (m_previous != nullptr) ::SelectObject(m_dc, m_previous);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// BeginPaint ... EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND window) : m_window(window) { m_dc = ::BeginPaint(window, &m_paint); }
    ~PaintDc() { ::EndPaint(m_window, &m_paint); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC get() const { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc = nullptr;
};

// A memory DC with a bitmap compatible with the target DC (not with the memory DC, which
// would make it monochrome). Everything is released in reverse order when it goes.
class DoubleBuffer {
public:
    DoubleBuffer(HDC target, int width, int height)
        : m_target(target),
          m_width(width),
          m_height(height),
          m_bitmap(::CreateCompatibleBitmap(target, width, height)),
          m_dc(::CreateCompatibleDC(target)) {
        m_saved = ::SaveDC(m_dc.get());
        m_previousBitmap = ::SelectObject(m_dc.get(), m_bitmap.get());
    }
    ~DoubleBuffer() {
        if (m_previousBitmap != nullptr) ::SelectObject(m_dc.get(), m_previousBitmap);
        if (m_saved != 0) ::RestoreDC(m_dc.get(), m_saved);
    }
    DoubleBuffer(const DoubleBuffer&) = delete;
    DoubleBuffer& operator=(const DoubleBuffer&) = delete;

    HDC get() const { return m_dc.get(); }

    // Copies the whole buffer to the target at the origin, in one step, each pixel made a
    // `scale` by `scale` square of the same colour. A memory DC has no layout of its own:
    // into a mirrored window's DC the copy is reflected once, as the rest of the window is,
    // so nothing drawn here needs to know the layout.
    void Present(int scale = 1) const {
        if (scale == 1) {
            ::BitBlt(m_target, 0, 0, m_width, m_height, m_dc.get(), 0, 0, SRCCOPY);
            return;
        }
        ::SetStretchBltMode(m_target, COLORONCOLOR);
        ::StretchBlt(m_target, 0, 0, m_width * scale, m_height * scale, m_dc.get(), 0, 0, m_width,
                     m_height, SRCCOPY);
    }

private:
    HDC m_target;
    int m_width;
    int m_height;
    UniqueBitmap m_bitmap;  // declared before the DC, so it is deleted after it
    UniqueMemoryDc m_dc;
    int m_saved = 0;
    HGDIOBJ m_previousBitmap = nullptr;
};

}  // namespace fw
