// A top-down 32-bit DIB section in a memory context, as the paints' off-screen surface, whose
// pixels the tests read back as palette colours.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstring>

class Surface {
public:
    // fill: the colour every pixel starts with (a new DIB section is all zeros).
    Surface(int width, int height, COLORREF fill = RGB(0, 0, 0)) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<uint32_t*>(bits);
        previous_ = SelectObject(dc_, bitmap_);
        SetBkMode(dc_, TRANSPARENT);
        if (fill != RGB(0, 0, 0)) {
            HBRUSH brush = CreateSolidBrush(fill);
            const RECT all = {0, 0, width, height};
            FillRect(dc_, &all, brush);
            DeleteObject(brush);
        }
    }
    ~Surface() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC dc() const { return dc_; }
    bool ok() const { return bits_ != nullptr && dc_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }

    COLORREF At(int x, int y) const {
        GdiFlush();
        const uint32_t p = bits_[static_cast<size_t>(y) * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Count(const RECT& r, COLORREF color) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += At(x, y) == color;
        return n;
    }
    int CountOther(const RECT& r, COLORREF color) const { return Area(r) - Count(r, color); }
    static int Area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }
    // Pixels of r that differ between the two surfaces.
    int Differences(const Surface& other, const RECT& r) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += At(x, y) != other.At(x, y);
        return n;
    }
    bool SameAs(const Surface& other) const {
        GdiFlush();
        return std::memcmp(bits_, other.bits_, static_cast<size_t>(width_) * height_ * 4) == 0;
    }
    // The length of the run of color that starts at (x, y) and goes right.
    int RunFrom(int x, int y, COLORREF color) const {
        int n = 0;
        while (x + n < width_ && At(x + n, y) == color) ++n;
        return n;
    }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint32_t* bits_ = nullptr;
};
