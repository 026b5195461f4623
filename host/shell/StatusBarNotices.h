// Status-bar messages from any thread, shown by the thread that made this object (the
// user-interface thread, which owns the bar): a message-only window of that thread takes
// them in order. The updater tells the person this way what its thread set aside.
#pragma once
#include "common/ScopedWin.h"
#include "controls/XWin.h"
#include "host/IXUnknown.h"
#include <functional>
#include <vector>

namespace HostShell {

class StatusBarNotices final : public Control::XWin {
public:
    StatusBarNotices();
    StatusBarNotices(const StatusBarNotices&) = delete;
    StatusBarNotices& operator=(const StatusBarNotices&) = delete;
    ~StatusBarNotices() override;

    // Where the messages go (the main frame's status bar); until a target is set, and after
    // close, messages are dropped: the log has what they say. The making thread only.
    void setTarget(std::function<void(const XStringW&)> show);
    // Any thread. Messages that arrive before the window's thread takes them are shown
    // together, joined by "；", so that none hides another.
    void post(const XStringW& text);
    // Drops the target and the window; later messages are dropped. The making thread only.
    void close();

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void showPending();

    Common::CriticalSection lock_;
    std::vector<XStringW> pending_;
    bool open_ = false;
    std::function<void(const XStringW&)> show_;
};

} // namespace HostShell
