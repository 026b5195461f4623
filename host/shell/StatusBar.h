// The main frame's status bar: the common control keeps the texts, the parts and the size
// grip's hit test; this object paints it in the theme's colours. The first pane holds the
// latest message. The second is there only while an error stands (the fund database cannot
// be opened, a module did not load): messages do not replace it; it stays until resolved.
#pragma once
#include "FrameColors.h"
#include "SelfPaintedControl.h"
#include "host/IXUnknown.h"

namespace HostShell {

class StatusBar final : public SelfPaintedControl {
public:
    StatusBar() = default;
    StatusBar(const StatusBar&) = delete;
    StatusBar& operator=(const StatusBar&) = delete;
    ~StatusBar() override;
    HWND createWindow(HWND parent);
    void setColors(const FrameColors& colors);
    void setMessage(const XStringW& text);
    // An empty text removes the error part.
    void setError(const XStringW& text);
    XStringW message() const { return partText(0); }
    const XStringW& error() const { return error_; }
    // The height the control gives itself.
    int height() const;
    // Follows the parent's new size: the control places itself and the parts are shared out.
    void layout();

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    XStringW partText(int part) const;
    void paint(HDC target) override;
    void drawGrip(HDC dc, const RECT& client);
    bool parentMaximised() const;

    FrameColors colors_ = frameColors(nullptr);
    XStringW error_;
};

} // namespace HostShell
