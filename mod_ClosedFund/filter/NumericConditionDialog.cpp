#include "filter/NumericConditionDialog.h"
#include "base/ModuleHandle.h"
#include "common/CallbackGuard.h"
#include "ui/DialogTemplate.h"
#include "ui/Dpi.h"
#include <utility>

namespace ClosedFund {

using Common::XStringW;

namespace {

// In pixels at 96 dpi; the dialog scales them to its own.
const int kAnchorGap = 20;
const int kClientWidth = 380, kClientHeight = 152;
const int kLabelX = 20, kLabelWidth = 60, kEditX = 84, kEditWidth = 160, kUnitX = 252, kUnitWidth = 110;
const int kRowHeight = 24, kLowY = 18, kHighY = 52, kHintY = 88, kButtonY = 114;
const int kButtonWidth = 72, kButtonHeight = 26;
const int kFontHeight = -12;
const wchar_t kHint[] = L"只填一格即为不低于或不高于；两格都空则移除这个条件";
const wchar_t kNotANumber[] = L"请填写数字，例如 -15、1.05 或 1,234.5";

// A control placed at x, y with width and height in pixels at 96 dpi, scaled to the dialog's.
HWND makeControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int x, int y,
                 int width, int height, int id, HFONT font)
{
    UINT dpi = WGUI::WindowDpi(parent);
    HWND control = ::CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, WGUI::Scale(x, dpi),
                                     WGUI::Scale(y, dpi), WGUI::Scale(width, dpi), WGUI::Scale(height, dpi), parent,
                                     reinterpret_cast<HMENU>(INT_PTR(id)), moduleInstance(), nullptr);
    if (control) ::SendMessageW(control, WM_SETFONT, WPARAM(font), FALSE);
    return control;
}

XStringW boxText(HWND dialog, int id)
{
    wchar_t buffer[128] = {};
    ::GetDlgItemTextW(dialog, id, buffer, 128);
    return buffer;
}

} // namespace

INT_PTR NumericConditionDialog::DoModal(HWND parent, int anchorX, int anchorY)
{
    anchorX_ = anchorX;
    anchorY_ = anchorY;
    XStringW title = L"数值条件：" + column_.caption;
    WGUI::ThemedColors::FollowHost();
    UINT dpi = WGUI::WindowDpi(parent);
    return WGUI::DialogBoxInPixels(moduleInstance(), parent, title.c_str(), WGUI::Scale(kClientWidth, dpi),
                                   WGUI::Scale(kClientHeight, dpi), &NumericConditionDialog::DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK NumericConditionDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    return Common::guardCallback(L"the numeric condition dialog", INT_PTR(FALSE), [&]() -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
            if (auto* self = reinterpret_cast<NumericConditionDialog*>(lParam)) self->OnInitDialog(hwnd);
            return TRUE; // the first box takes the focus
        }
        auto* self = reinterpret_cast<NumericConditionDialog*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        INT_PTR colored = 0;
        if (self && self->form_.OnMessage(hwnd, msg, wParam, lParam, colored)) return colored;
        return self ? self->HandleMessage(hwnd, msg, wParam) : FALSE;
    });
}

INT_PTR NumericConditionDialog::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam)
{
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            if (ReadRange(hwnd)) ::EndDialog(hwnd, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(hwnd, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE: ::EndDialog(hwnd, IDCANCEL); return TRUE;
    case WM_DESTROY: ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0); return FALSE;
    default: return FALSE;
    }
}

void NumericConditionDialog::OnInitDialog(HWND hwnd)
{
    UINT dpi = WGUI::WindowDpi(hwnd);
    const int clientWidth = WGUI::Scale(kClientWidth, dpi), clientHeight = WGUI::Scale(kClientHeight, dpi);
    RECT frame = {0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, DWORD(::GetWindowLongW(hwnd, GWL_STYLE)), FALSE,
                         DWORD(::GetWindowLongW(hwnd, GWL_EXSTYLE)));
    int gap = WGUI::Scale(kAnchorGap, dpi);
    WGUI::PlaceDialog(hwnd, anchorX_ - (frame.right - frame.left) - gap, anchorY_ + gap, clientWidth, clientHeight);
    font_.Attach(WGUI::CreateScaledFont(L"宋体", kFontHeight, FW_NORMAL, WGUI::UiScale{dpi, 1.0}));
    HFONT font = font_;
    const XStringW unit = column_.unit.empty() ? XStringW() : L"（" + column_.unit + L"）";
    const XStringW low = range_.hasLow ? numberText(range_.low) : XStringW();
    const XStringW high = range_.hasHigh ? numberText(range_.high) : XStringW();
    makeControl(hwnd, L"Static", L"不低于", SS_RIGHT, 0, kLabelX, kLowY + 4, kLabelWidth, kRowHeight, -1, font);
    HWND first = makeControl(hwnd, L"Edit", low.c_str(), WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kEditX, kLowY,
                             kEditWidth, kRowHeight, kLowId, font);
    makeControl(hwnd, L"Static", unit.c_str(), 0, 0, kUnitX, kLowY + 4, kUnitWidth, kRowHeight, -1, font);
    makeControl(hwnd, L"Static", L"不高于", SS_RIGHT, 0, kLabelX, kHighY + 4, kLabelWidth, kRowHeight, -1, font);
    makeControl(hwnd, L"Edit", high.c_str(), WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kEditX, kHighY, kEditWidth,
                kRowHeight, kHighId, font);
    makeControl(hwnd, L"Static", unit.c_str(), 0, 0, kUnitX, kHighY + 4, kUnitWidth, kRowHeight, -1, font);
    makeControl(hwnd, L"Static", kHint, 0, 0, kLabelX, kHintY, kClientWidth - 2 * kLabelX, 20, kHintId, font);
    makeControl(hwnd, L"Button", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                kClientWidth - kLabelX - 2 * kButtonWidth - 8, kButtonY, kButtonWidth, kButtonHeight, IDOK, font);
    makeControl(hwnd, L"Button", L"取消", WS_TABSTOP, 0, kClientWidth - kLabelX - kButtonWidth, kButtonY, kButtonWidth,
                kButtonHeight, IDCANCEL, font);
    if (first) ::SetFocus(first);
    form_.Attach(hwnd);
}

bool NumericConditionDialog::ReadRange(HWND hwnd)
{
    NumericRange range;
    const XStringW low = boxText(hwnd, kLowId), high = boxText(hwnd, kHighId);
    bool lowBlank = low.find_first_not_of(L" \t") == XStringW::npos;
    bool highBlank = high.find_first_not_of(L" \t") == XStringW::npos;
    range.hasLow = !lowBlank && parseTypedNumber(low, column_.unit, range.low);
    range.hasHigh = !highBlank && parseTypedNumber(high, column_.unit, range.high);
    if (range.hasLow != !lowBlank || range.hasHigh != !highBlank) {
        ::SetDlgItemTextW(hwnd, kHintId, kNotANumber);
        ::SetFocus(::GetDlgItem(hwnd, range.hasLow != !lowBlank ? kLowId : kHighId));
        return false;
    }
    if (range.hasLow && range.hasHigh && range.low > range.high) std::swap(range.low, range.high);
    range_ = range;
    return true;
}

} // namespace ClosedFund
