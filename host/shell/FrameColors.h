// The colours of the main frame's own parts (tool bar, tab strip, status bar) and of the
// host's own pages, taken from the current theme so that a dark theme darkens the whole
// window, not only the module's page.
#pragma once
#include <windows.h>

namespace Host {
struct ITheme;
}

namespace HostShell {

struct FrameColors {
    COLORREF background; // strips and bars
    COLORREF text;
    COLORREF border;
    COLORREF face;   // a tab or button that is not chosen
    COLORREF chosen; // the current tab
    COLORREF accent; // the line that marks the current tab
    COLORREF error;  // a standing error in the status bar
};

// From the theme's keys; the system's colours for a missing theme or key.
FrameColors frameColors(Host::ITheme* theme);

// The colours of a host page's fund list and of the caption strip above it, from the keys
// the closed-fund page's grid uses, so that the host's pages look like the module's.
struct ListColors {
    COLORREF strip;        // the caption strip: "wnd_general_bg"
    COLORREF stripText;    // "list_title"
    COLORREF ground;       // below the rows: "list_bg"
    COLORREF oddRow;       // the first row and every second one: "list_bg_oddLine"
    COLORREF evenRow;      // the rows between: "list_bg_evenLine"
    COLORREF text;         // "list_prev_data"
    COLORREF selected;     // "list_sel_bg"
    COLORREF selectedText; // "list_sel_text"
    COLORREF header;       // "list_column_bg"
    COLORREF headerText;   // "list_title"
    COLORREF lines;        // between rows and columns: "list_border_inside"
    COLORREF border;       // the header's edges: "list_border"
};

ListColors listColors(Host::ITheme* theme);
// A list's header in those colours: face, captions, the lines between and under them. For the
// header's own WM_PAINT, which the system would draw in its colours.
void paintListHeader(HWND header, HDC dc, const ListColors& colors);
// The lines under the shown rows and between the columns of a report list, for its
// post-paint (the list's own grid lines come in the system's colour).
void paintListLines(HWND list, HDC dc, const ListColors& colors);

// The main frame's word to its pages about the theme (a registered message). The frame sends
// it to every page with kThemeApplied and the theme (valid for the call) whenever it applies
// one; a page made later sends it to the main window with kThemeAsked and its own window, and
// is sent the theme shown now.
UINT frameThemeMessage();
enum FrameThemeWord : WPARAM { kThemeAsked = 0, kThemeApplied = 1 };

} // namespace HostShell
