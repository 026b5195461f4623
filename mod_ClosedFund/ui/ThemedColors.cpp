#include "ui/ThemedColors.h"
#include "common/CallbackGuard.h"
#include "host/Kernel.h"
#include <algorithm>
#include <vector>

namespace WGUI {

namespace {

const char kThemeEvent[] = "event_theme_changed";

COLORREF themed(Host::ITheme* theme, const char* key, int systemColor)
{
    COLORREF color = ::GetSysColor(systemColor);
    if (theme) theme->getColor(key, color);
    return color;
}

struct State {
    bool themed = false;
    bool following = false;
    FormColors colors = formColors(nullptr);
    std::vector<ColorWatch*> watches;
};

// Only the user-interface thread reads or changes it: the host fires the theme event there.
// Never freed: a watch may still go while the library's exit code runs.
State& state()
{
    static State* s = new State;
    return *s;
}

// The client's interface cannot take a subscription back: the subscriber is a plain function
// over the module's one set of colours, harmless whenever it is called.
void onThemeChanged(void* theme, void*) noexcept
{
    Common::guardCallback(L"the forms' theme", [&] { ThemedColors::Apply(static_cast<Host::ITheme*>(theme)); });
}

} // namespace

FormColors formColors(Host::ITheme* theme)
{
    FormColors c;
    c.window = themed(theme, "wnd_general_bg", COLOR_BTNFACE);
    c.text = themed(theme, "list_title", COLOR_WINDOWTEXT);
    c.field = themed(theme, "list_bg", COLOR_WINDOW);
    c.cue = themed(theme, "list_type2", COLOR_GRAYTEXT);
    c.face = themed(theme, "list_column_bg", COLOR_BTNFACE);
    c.pushed = themed(theme, "list_sel_bg", COLOR_BTNSHADOW);
    c.border = themed(theme, "list_border", COLOR_BTNSHADOW);
    return c;
}

bool ThemedColors::Themed() { return state().themed; }

const FormColors& ThemedColors::Current() { return state().colors; }

void ThemedColors::Apply(Host::ITheme* theme)
{
    State& s = state();
    s.themed = theme != nullptr;
    s.colors = formColors(theme);
    // A handler may end another watch (a dialog that closes): each is looked up again first.
    const std::vector<ColorWatch*> watches = s.watches;
    for (ColorWatch* watch : watches)
        if (std::find(s.watches.begin(), s.watches.end(), watch) != s.watches.end() && watch->changed_)
            watch->changed_();
}

void ThemedColors::FollowHost()
{
    State& s = state();
    if (s.following) return;
    XComPtr<Host::IEvent> event = Host::createEvent(kThemeEvent);
    if (!event) return;
    event->subscribe(&onThemeChanged, nullptr);
    s.following = true;
}

ColorWatch::ColorWatch(std::function<void()> changed) : changed_(std::move(changed))
{
    state().watches.push_back(this);
}

ColorWatch::~ColorWatch()
{
    std::vector<ColorWatch*>& watches = state().watches;
    watches.erase(std::remove(watches.begin(), watches.end(), this), watches.end());
}

} // namespace WGUI
