// "mod_StatusBar": the main window's status bar as a sibling module of its own, so that a
// module that finds it can show a message there. The client has no such module: in
// contract-only mode getModule does not give it.
#pragma once
#include "BuiltInModule.h"
#include "MainFrameModule.h"
#include "ext/StatusBar.h"

namespace HostShell {

class StatusBarModule final : public BuiltInModule<Host::IStatusBarModule> {
public:
    explicit StatusBarModule(MainFrameModule* mainFrame);
    // Shows the text as the main frame's latest message (its window may come later: a text
    // before then is not shown).
    void setStatusText(const XStringW& text) override;

private:
    XComPtr<MainFrameModule> mainFrame_;
};

} // namespace HostShell
