// Sizes drawn for a 96-DPI display, made for the display's own DPI. Portable,
// so the layouts that use it are checked natively at every DPI.
#pragma once

#include <cstdint>

// The DPI the program's pixel sizes, row images and worked examples are
// drawn for: there they stay exactly as written.
constexpr int32_t baseDpi = 96;

// `pixels` at 96 DPI, for `dpi`, to the nearest pixel (10 is 15 at 144 DPI,
// 3 is 5: a half rounds up). For sizes of 0 or more.
inline int32_t scaledPixels(int32_t pixels, int32_t dpi) {
    return (pixels * dpi + baseDpi / 2) / baseDpi;
}
