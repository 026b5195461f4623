#include "UiFont.h"
#include "common/ScopedWin.h"

namespace HostShell {

HFONT uiFont()
{
    static Common::ScopedGdi<HFONT> font(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                                     DEFAULT_PITCH | FF_DONTCARE, L"宋体"));
    return font.get() ? font.get() : HFONT(GetStockObject(DEFAULT_GUI_FONT));
}

} // namespace HostShell
