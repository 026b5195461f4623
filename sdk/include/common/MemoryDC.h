// Off-screen drawing: a 32-bit DIB section of the target's size selected into a memory DC;
// whatever is drawn there reaches the target in one block transfer when the object goes.
#pragma once
#include "common/ScopedWin.h"

namespace Common {

class MemoryDC {
public:
    // rect is in the target's coordinates; drawing uses the same coordinates.
    MemoryDC(HDC target, const RECT& rect)
        : target_(target), rect_(rect), dc_(target), bitmap_(createBitmap(target, rect)), selected_(dc_, bitmap_.get())
    {
        SetWindowOrgEx(dc_, rect.left, rect.top, nullptr);
    }
    ~MemoryDC()
    {
        if (!ok()) return;
        SetWindowOrgEx(dc_, 0, 0, nullptr);
        BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, dc_, 0, 0, SRCCOPY);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    // False when the bitmap could not be made: then nothing is copied.
    bool ok() const { return dc_.get() && bitmap_.get(); }
    HDC get() const { return dc_.get(); }
    operator HDC() const { return dc_.get(); }

private:
    static HBITMAP createBitmap(HDC target, const RECT& rect)
    {
        LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
        if (width <= 0 || height <= 0) return nullptr;
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height; // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        return CreateDIBSection(target, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    }

    HDC target_;
    RECT rect_;
    MemoryDCHandle dc_;
    ScopedGdi<HBITMAP> bitmap_;
    SelectedObject selected_;
};

} // namespace Common
