// The small framed popup with one line of text that the page shows, centred over its owner,
// while a reload queries the database. Modeless, no controls; the owner destroys it when the
// work is done.
#pragma once
#include "ui/GdiObject.h"
#include "ui/WindowBase.h"

namespace ClosedFund {

class WaitDialog : public WGUI::WindowBase {
public:
    enum { kMessageChars = 260 };

    // A null or empty message shows "请稍等..."; a longer one keeps its first 259 characters.
    explicit WaitDialog(const wchar_t* message);
    // Destroys the dialog window if it still exists.
    ~WaitDialog() override;
    WaitDialog(const WaitDialog&) = delete;
    WaitDialog& operator=(const WaitDialog&) = delete;

    // Creates the dialog, visible, over owner; returns its window, or null when it could not
    // be created. A window this object opened before is destroyed first.
    HWND Open(HINSTANCE instance, HWND owner);
    const wchar_t* Message() const { return message_; }
    // The wait dialog being shown, or null; cleared as soon as its window goes.
    static WaitDialog* Current();

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    static INT_PTR HandleMessage(HWND hwnd, UINT msg, LPARAM lParam);
    void OnInitDialog(HWND hwnd);
    void OnPaint(HWND hwnd);

    wchar_t message_[kMessageChars];
    gdiobj::GdiObject<HFONT> font_; // the message's, made for the dialog's dpi
};

} // namespace ClosedFund
