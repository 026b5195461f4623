#include "UiFont.h"
#include "common/ScopedWin.h"

namespace HostShell {

UINT uiDpi()
{
    static const UINT dpi = [] {
        HDC screen = GetDC(nullptr);
        int pixels = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen) ReleaseDC(nullptr, screen);
        return pixels > 0 ? UINT(pixels) : 96u;
    }();
    return dpi;
}

int uiScaled(int px96) { return MulDiv(px96, int(uiDpi()), 96); }

HFONT uiFont()
{
    static Common::ScopedGdi<HFONT> font(CreateFontW(-uiScaled(12), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"宋体"));
    return font.get() ? font.get() : HFONT(GetStockObject(DEFAULT_GUI_FONT));
}

} // namespace HostShell
