// Controls in the theme's colours (ThemedColors). ControlColors answers the WM_CTLCOLOR*
// messages with brushes it owns; ThemedForm does that for a whole dialog, draws its push
// buttons itself (the system draws them in its own colours whatever the dialog answers) and
// flattens its edits' edges. While no theme was seen neither answers, and the controls keep
// the system's look.
#pragma once
#include "ui/GdiObject.h"
#include "ui/ThemedColors.h"
#include <memory>
#include <vector>

namespace WGUI {

// One solid brush whose colour may change: made again when asked for another colour.
class SolidBrush {
public:
    HBRUSH For(COLORREF color);

private:
    gdiobj::GdiObject<HBRUSH> brush_;
    COLORREF color_ = CLR_INVALID;
};

class ControlColors {
public:
    // For a WM_CTLCOLOR* message: sets the DC's text and ground colours and gives the brush of
    // the control's ground (an edit's or list's field, else the dialog's ground). Null for any
    // other message and while unthemed: the caller then lets the system answer.
    HBRUSH Answer(UINT msg, HDC dc);

private:
    SolidBrush ground_, field_;
};

// Draws an edit's client edge flat in the theme's border and field colours, for its
// WM_NCPAINT. False (the system draws it) while unthemed or for an edit without that edge.
bool PaintFieldEdge(HWND edit);

class ThemedForm {
public:
    ThemedForm();
    ~ThemedForm();
    ThemedForm(const ThemedForm&) = delete;
    ThemedForm& operator=(const ThemedForm&) = delete;

    // Once the dialog's controls exist: colours them now and again after every change of
    // theme, until the dialog's WM_DESTROY.
    void Attach(HWND dialog);
    // The dialog's messages that colour it (WM_CTLCOLOR*, a drawn button's WM_DRAWITEM), with
    // the dialog procedure's answer in result; false for every other message.
    bool OnMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result);

private:
    class FieldEdge;
    void Restyle();
    void Detach();
    bool DrawButton(const DRAWITEMSTRUCT& item) const;

    HWND dialog_ = nullptr;
    bool drawsButtons_ = false;
    int defaultId_ = IDOK;
    ControlColors colors_;
    std::vector<std::unique_ptr<FieldEdge>> edges_;
    ColorWatch watch_;
};

} // namespace WGUI
