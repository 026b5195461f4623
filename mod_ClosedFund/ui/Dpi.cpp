#include "ui/Dpi.h"
#include <common/ProcAddress.h>
#include <cmath>
#include <algorithm>
#include <cstdlib>

namespace WGUI {

int Scale(int px96, UINT dpi) { return ::MulDiv(px96, int(dpi), int(kBaseDpi)); }

RECT Scale(const RECT& at96, UINT dpi)
{
    return RECT{Scale(at96.left, dpi), Scale(at96.top, dpi), Scale(at96.right, dpi), Scale(at96.bottom, dpi)};
}

int Unscale(int pixels, UINT dpi) { return dpi ? ::MulDiv(pixels, int(kBaseDpi), int(dpi)) : pixels; }

UINT ScreenDpi()
{
    HDC screen = ::GetDC(nullptr);
    if (!screen) return kBaseDpi;
    int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : kBaseDpi;
}

UINT ChooseDpi(HWND window, DpiForWindowFn forWindow, ScreenDpiFn screen)
{
    UINT dpi = forWindow && window ? forWindow(window) : 0;
    if (dpi == 0 && screen) dpi = screen();
    return dpi ? dpi : kBaseDpi;
}

UINT WindowDpi(HWND window)
{
    // Looked up once: the function is there for the life of the process or never.
    static const DpiForWindowFn forWindow =
        Common::procAddress<DpiForWindowFn>(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    return ChooseDpi(window, forWindow, &ScreenDpi);
}

int UiScale::Text(int px96) const
{
    double pixels = double(px96) * zoom * double(dpi) / double(kBaseDpi);
    return int(std::lround(pixels));
}

HFONT CreateScaledFont(const wchar_t* face, int px96, int weight, const UiScale& scale)
{
    int height = std::max(1, scale.Text(std::abs(px96)));
    return ::CreateFontW(px96 < 0 ? -height : height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

// The stock font is made for the screen's dpi: its height is brought back to 96 first, so a
// screen at 144 does not scale it twice.
HFONT CreateGuiFont(const UiScale& scale)
{
    LOGFONTW stock = {};
    if (!::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock)) return nullptr;
    int height96 = Unscale(std::abs(int(stock.lfHeight)), ScreenDpi());
    stock.lfHeight = -std::max(1, scale.Text(height96 ? height96 : 11));
    stock.lfWidth = 0;
    return ::CreateFontIndirectW(&stock);
}

int FontHeight(HFONT font)
{
    LOGFONTW logFont = {};
    if (!font || !::GetObjectW(font, sizeof logFont, &logFont)) return 0;
    return std::abs(int(logFont.lfHeight));
}

} // namespace WGUI
