// Sizes in this module are written for a 96-dpi screen at the standard font size. A window
// turns them into its own pixels through the dpi it is drawn at and, for what holds text,
// through the person's font size (查看 → 字体大小) as well.
#pragma once
#include <windows.h>

namespace WGUI {

enum : UINT { kBaseDpi = 96 };

// px96 at dpi, rounded to the nearest pixel; a negative size (a font height) keeps its sign.
int Scale(int px96, UINT dpi);
RECT Scale(const RECT& at96, UINT dpi);
// Pixels at dpi back to 96-dpi units, as sizes are stored.
int Unscale(int pixels, UINT dpi);

// The dpi the window is drawn at: GetDpiForWindow where user32 has it (looked up by name,
// since the client's user32 may predate it), else the screen's LOGPIXELSY, else 96.
UINT WindowDpi(HWND window);
// The screen's LOGPIXELSY, 96 when a screen DC cannot be had.
UINT ScreenDpi();

// The choice WindowDpi makes, with its answers given: forWindow may be null (an old user32),
// and an answer of 0 from either source counts as none.
typedef UINT(WINAPI* DpiForWindowFn)(HWND);
typedef UINT (*ScreenDpiFn)();
UINT ChooseDpi(HWND window, DpiForWindowFn forWindow, ScreenDpiFn screen);

// A window's dpi and the font size together.
struct UiScale {
    UINT dpi = kBaseDpi;
    double zoom = 1.0;

    // Gaps, borders, arrows: the dpi alone.
    int Fixed(int px96) const { return Scale(px96, dpi); }
    // What holds text (a strip's height, a box's width): the dpi and the font size.
    int Text(int px96) const;
    bool operator==(const UiScale& other) const { return dpi == other.dpi && zoom == other.zoom; }
    bool operator!=(const UiScale& other) const { return !(*this == other); }
};

// A font of face px96 high at 96 dpi and the standard size, made for the scale; as with
// CreateFont, a negative height is the characters' and a positive one the cell's. The caller
// owns it.
HFONT CreateScaledFont(const wchar_t* face, int px96, int weight, const UiScale& scale);
// The system's user-interface face (the stock GUI font's) at the scale.
HFONT CreateGuiFont(const UiScale& scale);
// The character height a font was made with (positive), 0 for none.
int FontHeight(HFONT font);

} // namespace WGUI
