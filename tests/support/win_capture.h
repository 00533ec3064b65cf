#pragma once
// Pixels of a window's client area as they are on the screen, from this process or another
// one, and the bar's expected pixels built from the colours the system uses right now.
//
// Use: send the bar its range and position, then
//   EXPECT_EQ(WaitForBar(bar, 255), "");
// which repaints the bar and compares it, pixel for pixel, with what it should show for
// base colour 255 (red), until they agree or two seconds have passed.

#include <windows.h>

#include <string>

#include "bar_raster.h"

namespace testsupport {

PixelGrid CaptureClient(HWND window);

// What the bar `bar` should show with its present range and position and `baseColour`,
// enlarged by `scale` (vantrel::BevelScale of its DPI); reflected when the bar is mirrored.
PixelGrid ExpectedBar(HWND bar, vantrel::Colour baseColour, int scale = 1);

// "" once the bar on screen matches ExpectedBar, else the last difference found.
std::string WaitForBar(HWND bar, vantrel::Colour baseColour, DWORD timeoutMs = 2000, int scale = 1);

}  // namespace testsupport
