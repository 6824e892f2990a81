// A memory DC over a 32-bit DIB section, for checking GDI drawing pixel by pixel.
#pragma once

#include <windows.h>

#include <cstdint>

// What a fresh canvas holds: a colour no drawing uses.
const COLORREF canvasSentinel = RGB(1, 2, 3);

// A memory DC over a top-down 32-bit DIB section whose bits are read directly.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<uint32_t*>(bits);
        previous_ = SelectObject(dc_, bitmap_);
        fill(canvasSentinel);
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool ready() const { return dc_ && bits_; }
    HDC dc() const { return dc_; }

    void fill(COLORREF c) {
        GdiFlush();
        uint32_t pixel = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = pixel;
    }

    COLORREF at(int x, int y) const {
        GdiFlush();
        return pixel(x, y);
    }

    // How many pixels of the rectangle have colour `c`.
    int count(COLORREF c, int left, int top, int right, int bottom) const {
        GdiFlush();
        int found = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (pixel(x, y) == c) ++found;
        return found;
    }

    // How many pixels of the rectangle differ from `other`'s; the first one
    // found (row by row) goes to `first`.
    int differences(const Canvas& other, int left, int top, int right, int bottom, POINT& first) const {
        GdiFlush();
        int found = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (pixel(x, y) != other.pixel(x, y) && found++ == 0) first = POINT{x, y};
        return found;
    }

    // The pixel as the DIB holds it: 0x00RRGGBB.
    uint32_t raw(int x, int y) const { return bits_[y * width_ + x] & 0xFFFFFF; }

private:
    COLORREF pixel(int x, int y) const {
        uint32_t bgr = bits_[y * width_ + x];
        return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }

    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint32_t* bits_ = nullptr;
};
