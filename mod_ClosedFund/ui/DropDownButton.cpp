#include "ui/DropDownButton.h"
#include "ui/Dpi.h"
#include "ui/WindowText.h"
#include <common/ScopedWin.h>
#include <common/TabOrder.h>

namespace WGUI {

using Common::XStringW;

namespace {
// At 96 dpi: the caption's indent, the arrow's width (its widest line; each line below is two
// pixels shorter) and its margin from the right end, the focus mark's inset.
const int kCaptionIndent = 10;
const int kArrowWidth = 9;
const int kArrowMargin = 7;
const int kFocusInset = 3;
const int kMaxTipWidth = 300;
} // namespace

// The tooltip is not the button's child: a button object that goes without its window's
// WM_DESTROY (never created, or unbound) must still take the tooltip along.
DropDownButton::~DropDownButton()
{
    binding_.reset();
    if (toolTip_.GetHandle() && toolTip_.IsWindow()) toolTip_.DestroyWindow();
}

HWND DropDownButton::Create(DWORD style, LPCWSTR text, HWND parent, UINT id, HINSTANCE instance)
{
    // A second Create must first unbind the window made before, which is still subclassed.
    binding_.reset();
    instance_ = instance;
    RECT empty = {};
    HWND hwnd = WindowBase::Create(style, 0, L"Button", text, empty, parent, id, instance, nullptr);
    if (!hwnd) return nullptr;
    binding_.reset(new WindowProc);
    binding_->Attach(this);
    return hwnd;
}

bool DropDownButton::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // The caption is drawn here, not kept as the window text (the standard button would draw
    // that too); asked for its text, the button gives the caption as shown.
    if (AnswerTextMessage(ShownCaption(), msg, wParam, lParam, result)) return true;
    // The tooltip is a popup owned by the top-level window, not a child of the button: it
    // goes with the button, or every removed condition would leave one behind.
    if (msg == WM_DESTROY && toolTip_.GetHandle()) {
        if (toolTip_.IsWindow()) toolTip_.DestroyWindow();
        toolTip_.SetHandle(nullptr);
    }
    if (OnKeyboard(msg, wParam)) return true;
    if (themed_) return OnThemedMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_PAINT:
        *result = binding_->CallDefault(msg, wParam, lParam);
        PaintCaptionAndArrow();
        return true;
    case WM_LBUTTONUP: Invalidate(TRUE); return false;
    default: return false;
    }
}

// The keyboard reaches the menu as the mouse does: Space and Enter click the button when
// they are released (as the standard button does with Space), Down and Alt+Down when
// pressed; the owner then opens the menu below it. On release, because the character the
// key made is still on its way: arriving inside the menu's own loop it would close the menu
// at once. A release counts only after a press seen here, so a key pressed in another
// window that moved the focus here does not click. Tab asks the window the button stands in
// to move the focus on. The characters are swallowed: the standard button would beep.
bool DropDownButton::OnKeyboard(UINT msg, WPARAM key)
{
    switch (msg) {
    case WM_KEYDOWN:
        if (key == VK_TAB) {
            Common::RequestNextTabStop(hwnd_, ::GetKeyState(VK_SHIFT) < 0);
            return true;
        }
        if (key == VK_DOWN) {
            Click();
            return true;
        }
        if (key != VK_SPACE && key != VK_RETURN) return false;
        pressedKey_ = UINT(key);
        return true;
    case WM_SYSKEYDOWN:
        if (key != VK_DOWN) return false;
        Click();
        return true;
    case WM_KEYUP: {
        if (key != VK_SPACE && key != VK_RETURN) return false;
        bool pressedHere = pressedKey_ == key;
        pressedKey_ = 0;
        if (pressedHere) Click();
        return true;
    }
    case WM_KILLFOCUS: pressedKey_ = 0; return false;
    case WM_CHAR: return key == L' ' || key == L'\r' || key == L'\t';
    default: return false;
    }
}

void DropDownButton::Click()
{
    ::SendMessageW(::GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd_), BN_CLICKED),
                   reinterpret_cast<LPARAM>(hwnd_));
}

// A themed button paints everything itself. The button procedure still keeps the state and
// produces the click, but wherever it may draw the system's look straight away (pressing,
// focus, enabling), the button is invalidated so that its own paint follows at once.
bool DropDownButton::OnThemedMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd_, &ps);
        if (dc) PaintThemed(dc);
        ::EndPaint(hwnd_, &ps);
        *result = 0;
        return true;
    }
    case WM_PRINTCLIENT:
        PaintThemed(reinterpret_cast<HDC>(wParam));
        *result = 0;
        return true;
    case WM_ERASEBKGND: *result = 1; return true;
    case BM_SETSTATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        *result = binding_->CallDefault(msg, wParam, lParam);
        if (IsWindow()) {
            Invalidate(FALSE);
            ::UpdateWindow(hwnd_);
        }
        return true;
    default: return false;
    }
}

void DropDownButton::SetColors(const DropDownColors& colors)
{
    colors_ = colors;
    themed_ = true;
}

// Drawn over the standard button after it painted itself, in the DC's own pen and text
// colour.
void DropDownButton::PaintCaptionAndArrow()
{
    Common::WindowDC dc(hwnd_);
    if (!dc) return;
    RECT client = {};
    GetClientRect(&client);
    DrawCaption(dc, client);
    DrawArrow(dc, client, WindowDpi(hwnd_));
}

void DropDownButton::PaintThemed(HDC dc)
{
    if (!dc) return;
    RECT client = {};
    GetClientRect(&client);
    bool pushed = (SendMessage(BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    Common::ScopedGdi<HBRUSH> face(::CreateSolidBrush(pushed ? colors_.pushedFace : colors_.face));
    ::FillRect(dc, &client, face);
    Common::ScopedGdi<HBRUSH> border(::CreateSolidBrush(colors_.border));
    ::FrameRect(dc, &client, border);
    ::SetTextColor(dc, colors_.text);
    DrawCaption(dc, client);
    Common::ScopedGdi<HPEN> pen(::CreatePen(PS_SOLID, 1, colors_.text));
    Common::SelectedObject arrowPen(dc, pen.get());
    UINT dpi = WindowDpi(hwnd_);
    DrawArrow(dc, client, dpi);
    // The standard button marks the focus itself; a themed one must, or a keyboard user
    // cannot tell which button Space would open.
    if (::GetFocus() == hwnd_) {
        RECT focus = client;
        ::InflateRect(&focus, -Scale(kFocusInset, dpi), -Scale(kFocusInset, dpi));
        ::DrawFocusRect(dc, &focus);
    }
}

// Ten pixels (at 96 dpi) in from the left, centred vertically. A caption is data, not a
// mnemonic: a '&' in a company name is drawn as it is.
void DropDownButton::DrawCaption(HDC dc, const RECT& client)
{
    Common::SelectedObject font(dc, GetFont());
    ::SetBkMode(dc, TRANSPARENT);
    RECT text = client;
    text.left += Scale(kCaptionIndent, WindowDpi(hwnd_));
    const Common::XStringW& shown = ShownCaption();
    ::DrawTextW(dc, shown.c_str(), int(shown.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// At 96 dpi five lines, each one pixel shorter at both ends: 9, 7, 5, 3 and 1 pixels wide. The
// width stays odd at any dpi, so the arrow ends in one pixel.
void DropDownButton::DrawArrow(HDC dc, const RECT& client, UINT dpi)
{
    int width = Scale(kArrowWidth, dpi) | 1, lines = (width + 1) / 2;
    int right = client.right - Scale(kArrowMargin, dpi), left = right - width;
    int top = (client.bottom - client.top) / 2 - 1 - (lines - (kArrowWidth + 1) / 2) / 2;
    for (int i = 0; i < lines; ++i) {
        ::MoveToEx(dc, left + i, top + i, nullptr);
        ::LineTo(dc, right - i, top + i);
    }
}

XStringW DropDownButton::ShownToolTip() const
{
    if (!toolTipText_.empty()) return toolTipText_;
    return IsShortened() ? caption_ : XStringW();
}

void DropDownButton::UpdateToolTip()
{
    if (toolTip_.GetHandle() && !toolTip_.IsWindow()) toolTip_.SetHandle(nullptr);
    // A button without a window shows no tip, and a tip made for it would belong to no
    // window at all and outlive everything.
    toolTipShown_ = IsWindow() ? ShownToolTip() : XStringW();
    if (toolTipShown_.empty()) {
        if (toolTip_.GetHandle()) toolTip_.DestroyWindow();
        return;
    }
    if (!toolTip_.GetHandle()) {
        // CW_USEDEFAULT for position and size: the tooltip places itself when it shows.
        RECT byDefault = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};
        toolTip_.Create(WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, byDefault,
                        hwnd_, 0, instance_, nullptr);
        if (!toolTip_.GetHandle()) return;
    }
    toolTip_.SetMaxTipWidth(Scale(kMaxTipWidth, WindowDpi(hwnd_)));
    // The 64-bit common controls refuse a record smaller than their own layout, and version 5
    // of them refuses the newest layout's extra field; the second layout suits both.
    TTTOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT;
    tool.hwnd = ::GetParent(hwnd_);
    tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    tool.lpszText = const_cast<LPWSTR>(toolTipShown_.c_str());
    toolTip_.DelTool(&tool);
    toolTip_.AddTool(&tool);
}

} // namespace WGUI
