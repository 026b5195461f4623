// The GDI objects a grid keeps between paints: fonts by face, size and style at the current
// zoom and dpi, and the off-screen bitmap. All of it can be dropped at any time; the next paint
// makes what it needs again. Also the dpi the grid's window is drawn at, read once.
#pragma once
#include "common/ScopedWin.h"
#include <map>
#include <string>
#include <tuple>

namespace Control {

class GridResources {
public:
    GridResources() = default;
    GridResources(const GridResources&) = delete;
    GridResources& operator=(const GridResources&) = delete;

    // size in points, already multiplied by the zoom; made for a screen at dpi.
    HFONT font(const std::wstring& face, double size, bool bold, bool italic, UINT dpi);
    // The window's dpi, asked once per window; the screen's while there is no window.
    UINT dpi(HWND window);
    // The next dpi asks the window again (it moved to a screen of another dpi).
    void forgetDpi()
    {
        dpiWindow_ = nullptr;
        dpi_ = 0;
    }
    // A 32-bit DIB section at least width x height, selected into a memory DC.
    HDC backBuffer(HDC compatible, int width, int height);
    // Drops fonts and bitmap.
    void release();
    ~GridResources() { release(); }
    size_t fontCount() const { return fonts_.size(); }

private:
    void dropBuffer();
    using FontKey = std::tuple<std::wstring, int, bool, bool>;
    std::map<FontKey, Common::ScopedGdi<HFONT>> fonts_;
    Common::ScopedGdi<HBITMAP> bitmap_;
    HDC dc_ = nullptr;
    HGDIOBJ dcOldBitmap_ = nullptr;
    int width_ = 0, height_ = 0;
    HWND dpiWindow_ = nullptr;
    UINT dpi_ = 0;
};

} // namespace Control
