// The line height both halves of the pane lay their text out by.
#pragma once

#include <windows.h>

// `tmHeight` of the font selected into `dc`; 0 when the metrics cannot be
// read, which stacks the lines rather than spreading them by a stray value.
inline int lineHeightOf(HDC dc) {
    TEXTMETRICA metrics = {};
    if (!GetTextMetricsA(dc, &metrics)) return 0;
    return metrics.tmHeight;
}
