// The colours of the module's own forms (the search box, the keyword and numeric dialogs)
// under the host's theme, read through the client's theme interface with the keys the filter
// bar and the grid use. The host shows one theme at a time, so the module keeps one set. Until
// a theme is seen the forms keep the system's look.
#pragma once
#include "host/Theme.h"
#include <functional>

namespace WGUI {

struct FormColors {
    COLORREF window; // a dialog's ground: "wnd_general_bg"
    COLORREF text;   // labels, typed text, button captions: "list_title"
    COLORREF field;  // the ground of an edit or a list: "list_bg"
    COLORREF cue;    // cue text and the search box's ×: "list_type2"
    COLORREF face;   // a push button: "list_column_bg"
    COLORREF pushed; // a push button held down: "list_sel_bg"
    COLORREF border; // the edge of a field or a button: "list_border"
};

// The theme's colours; a part whose key the theme lacks (or no theme) keeps the system's.
FormColors formColors(Host::ITheme* theme);

class ThemedColors {
public:
    // False until a theme was applied: the forms then draw as the system does.
    static bool Themed();
    static const FormColors& Current();
    // Takes the theme's colours and tells every watch; null goes back to the system's look.
    static void Apply(Host::ITheme* theme);
    // Applies every theme the host switches to from now on ("event_theme_changed"). Once per
    // process; later calls do nothing. User-interface thread.
    static void FollowHost();
};

// Calls its handler after each change of the colours, for as long as it lives.
class ColorWatch {
public:
    explicit ColorWatch(std::function<void()> changed);
    ~ColorWatch();
    ColorWatch(const ColorWatch&) = delete;
    ColorWatch& operator=(const ColorWatch&) = delete;

private:
    friend class ThemedColors;
    std::function<void()> changed_;
};

} // namespace WGUI
