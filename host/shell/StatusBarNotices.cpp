#include "StatusBarNotices.h"

namespace HostShell {

namespace {
const UINT kShowPending = WM_APP + 0x51;
} // namespace

StatusBarNotices::StatusBarNotices()
{
    RECT none = {0, 0, 0, 0};
    open_ = Create(L"", 0, none, HWND_MESSAGE) != nullptr;
}

StatusBarNotices::~StatusBarNotices() { close(); }

void StatusBarNotices::setTarget(std::function<void(const XStringW&)> show) { show_ = std::move(show); }

void StatusBarNotices::post(const XStringW& text)
{
    if (text.empty()) return;
    Common::CriticalSection::Lock lock(lock_);
    if (!open_) return;
    pending_.push_back(text);
    // One wake-up for a batch: the window takes everything pending when it comes.
    if (pending_.size() == 1) PostMessageW(GetHwnd(), kShowPending, 0, 0);
}

void StatusBarNotices::close()
{
    {
        Common::CriticalSection::Lock lock(lock_);
        open_ = false;
        pending_.clear();
    }
    show_ = nullptr;
    ReleaseWindow();
}

void StatusBarNotices::showPending()
{
    std::vector<XStringW> texts;
    {
        Common::CriticalSection::Lock lock(lock_);
        texts.swap(pending_);
    }
    XStringW line;
    for (const XStringW& text : texts) line += (line.empty() ? L"" : L"；") + text;
    if (!line.empty() && show_) show_(line);
}

LRESULT StatusBarNotices::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != kShowPending) return XWin::WndProc(msg, wParam, lParam);
    showPending();
    return 0;
}

} // namespace HostShell
