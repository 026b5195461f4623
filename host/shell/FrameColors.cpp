#include "FrameColors.h"
#include "host/Theme.h"

namespace HostShell {

namespace {

COLORREF themed(Host::ITheme* theme, const char* key, COLORREF fallback)
{
    COLORREF colour = fallback;
    if (theme && theme->getColor(key, colour)) return colour;
    return fallback;
}

// Red on a light background, a lighter red on a dark one, so the error reads on both.
COLORREF errorColourOn(COLORREF background)
{
    int luminance = (GetRValue(background) * 299 + GetGValue(background) * 587 + GetBValue(background) * 114) / 1000;
    return luminance < 128 ? RGB(0xFF, 0x70, 0x70) : RGB(0xC0, 0x10, 0x10);
}

} // namespace

FrameColors frameColors(Host::ITheme* theme)
{
    FrameColors c{};
    c.background = themed(theme, "wnd_general_bg", GetSysColor(COLOR_BTNFACE));
    c.text = themed(theme, "list_title", GetSysColor(COLOR_BTNTEXT));
    c.border = themed(theme, "list_border", GetSysColor(COLOR_BTNSHADOW));
    c.face = themed(theme, "list_column_bg", GetSysColor(COLOR_BTNFACE));
    c.chosen = themed(theme, "list_bg", GetSysColor(COLOR_WINDOW));
    c.accent = themed(theme, "list_sel_bg", GetSysColor(COLOR_HIGHLIGHT));
    c.error = errorColourOn(c.background);
    return c;
}

} // namespace HostShell
