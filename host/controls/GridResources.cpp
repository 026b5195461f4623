#include "GridResources.h"
#include "ControlDpi.h"
#include <algorithm>
#include <cmath>

namespace Control {

HFONT GridResources::font(const std::wstring& face, double size, bool bold, bool italic, UINT dpi)
{
    // Points to pixels at the dots per inch of the grid's screen.
    int height = -std::max(1, int(std::lround(size * double(dpi) / 72.0)));
    FontKey key{face, height, bold, italic};
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    LOGFONTW lf = {};
    lf.lfHeight = height;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = italic ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    HFONT f = CreateFontIndirectW(&lf);
    if (!f) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    fonts_.emplace(key, Common::ScopedGdi<HFONT>(f));
    return f;
}

UINT GridResources::dpi(HWND window)
{
    if (window && window == dpiWindow_ && dpi_) return dpi_;
    UINT dpi = windowDpi(window);
    if (!window) return dpi;
    dpiWindow_ = window;
    dpi_ = dpi;
    return dpi;
}

HDC GridResources::backBuffer(HDC compatible, int width, int height)
{
    if (dc_ && width <= width_ && height <= height_) return dc_;
    dropBuffer();
    width = std::max(width, 1);
    height = std::max(height, 1);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(compatible, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = bmp ? CreateCompatibleDC(compatible) : nullptr;
    if (!dc) {
        if (bmp) DeleteObject(bmp);
        return nullptr;
    }
    bitmap_.reset(bmp);
    dc_ = dc;
    dcOldBitmap_ = SelectObject(dc_, bmp);
    width_ = width;
    height_ = height;
    return dc_;
}

void GridResources::release()
{
    dropBuffer();
    fonts_.clear();
}

void GridResources::dropBuffer()
{
    if (dc_) {
        SelectObject(dc_, dcOldBitmap_);
        DeleteDC(dc_);
    }
    dc_ = nullptr;
    dcOldBitmap_ = nullptr;
    bitmap_.reset();
    width_ = height_ = 0;
}

} // namespace Control
