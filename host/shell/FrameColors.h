// The colours of the main frame's own parts (tool bar, tab strip, status bar), taken from
// the current theme so that a dark theme darkens the whole window, not only the pages.
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

} // namespace HostShell
