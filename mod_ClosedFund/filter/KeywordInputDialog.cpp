#include "filter/KeywordInputDialog.h"
#include "base/ModuleHandle.h"
#include "common/CallbackGuard.h"
#include "ui/DialogTemplate.h"
#include "ui/Dpi.h"
#include <algorithm>
#include <cwchar>

namespace ClosedFund {

namespace {

const wchar_t kTitle[] = L"输入筛选条件";
const int kAnchorGap = 20;

// The controls in pixels at 96 dpi; the client area holds them with margins of kSide pixels
// left and right and kTopBottom above and below the taller of the two (the button).
const int kSide = 20, kTopBottom = 17;
const int kEditWidth = 430, kEditHeight = 24, kEditTop = 18;
const int kButtonGap = 2, kButtonWidth = 58, kButtonHeight = 26;
const int kEditFontHeight = 16;

// The controls at a dpi. Each size is scaled on its own and the client is summed from them,
// so the margins stay even whatever the rounding.
struct KeywordLayout {
    int clientWidth, clientHeight;
    RECT edit, ok;
};

KeywordLayout keywordLayout(UINT dpi)
{
    auto px = [dpi](int px96) { return WGUI::Scale(px96, dpi); };
    int side = px(kSide), topBottom = px(kTopBottom), editTop = px(kEditTop);
    int editRight = side + px(kEditWidth), okLeft = editRight + px(kButtonGap), okRight = okLeft + px(kButtonWidth);
    KeywordLayout layout = {};
    layout.clientWidth = okRight + side;
    layout.clientHeight = topBottom + px(kButtonHeight) + topBottom;
    layout.edit = {side, editTop, editRight, editTop + px(kEditHeight)};
    layout.ok = {okLeft, topBottom, okRight, topBottom + px(kButtonHeight)};
    return layout;
}

} // namespace

INT_PTR KeywordInputDialog::DoModal(HWND parent, int anchorX, int anchorY, const Common::XStringW& words)
{
    anchorX_ = anchorX;
    anchorY_ = anchorY;
    text_ = words;
    WGUI::ThemedColors::FollowHost();
    KeywordLayout layout = keywordLayout(WGUI::WindowDpi(parent));
    return WGUI::DialogBoxInPixels(moduleInstance(), parent, title_.empty() ? kTitle : title_.c_str(),
                                   layout.clientWidth, layout.clientHeight, &KeywordInputDialog::DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

// A message whose handler throws counts as not handled (FALSE): the dialog manager does the rest.
INT_PTR CALLBACK KeywordInputDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    return Common::guardCallback(L"the keyword dialog", INT_PTR(FALSE),
                                 [&] { return HandleMessage(hwnd, msg, wParam, lParam); });
}

INT_PTR KeywordInputDialog::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WGUI::WindowBase window(hwnd);
    auto* self = reinterpret_cast<KeywordInputDialog*>(window.GetWindowLong(GWLP_USERDATA));
    INT_PTR colored = 0;
    if (self && self->form_.OnMessage(hwnd, msg, wParam, lParam, colored)) return colored;
    switch (msg) {
    case WM_INITDIALOG:
        self = reinterpret_cast<KeywordInputDialog*>(lParam);
        window.SetWindowLong(GWLP_USERDATA, lParam);
        if (self) self->OnInitDialog(hwnd);
        return FALSE; // the edit takes the focus itself
    case WM_SHOWWINDOW:
        if (wParam && self) {
            self->edit_.SetFocus();
            // Words being edited are selected, so that typing replaces them.
            ::SendMessageW(self->edit_.GetHandle(), EM_SETSEL, 0, -1);
        }
        return FALSE;
    case WM_ACTIVATE:
        // Only on activation: taking the focus while being deactivated would pull the
        // dialog back in front of the window the user switched to.
        if (LOWORD(wParam) != WA_INACTIVE && self) self->edit_.SetFocus();
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            if (self) self->OnOk(hwnd);
            ::EndDialog(hwnd, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(hwnd, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE: ::EndDialog(hwnd, IDCANCEL); return TRUE;
    case WM_DESTROY:
        if (self) self->OnDestroy(hwnd);
        return FALSE;
    default: return FALSE;
    }
}

// Sizes the dialog so its client area holds the controls with even margins, places it by
// its anchor, and builds the edit and the button in pixels.
void KeywordInputDialog::OnInitDialog(HWND hwnd)
{
    UINT dpi = WGUI::WindowDpi(hwnd);
    KeywordLayout layout = keywordLayout(dpi);
    RECT frame = {0, 0, layout.clientWidth, layout.clientHeight};
    ::AdjustWindowRectEx(&frame, DWORD(::GetWindowLongW(hwnd, GWL_STYLE)), FALSE,
                         DWORD(::GetWindowLongW(hwnd, GWL_EXSTYLE)));
    int gap = WGUI::Scale(kAnchorGap, dpi);
    WGUI::PlaceDialog(hwnd, anchorX_ - (frame.right - frame.left) - gap, anchorY_ + gap, layout.clientWidth,
                      layout.clientHeight);

    font_.Attach(WGUI::CreateScaledFont(L"宋体", kEditFontHeight, FW_NORMAL, WGUI::UiScale{dpi, 1.0}));
    buttonFont_.Attach(WGUI::CreateGuiFont(WGUI::UiScale{dpi, 1.0}));
    edit_.Create(WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE, L"Edit", L"", layout.edit, hwnd, kEditId, moduleInstance());
    edit_.SetFont(font_);
    edit_.LimitText(kMaxChars);
    // Editing a keyword condition starts from its words.
    if (!text_.empty()) {
        ::SetWindowTextW(edit_.GetHandle(), text_.c_str());
        edit_.SetCueText(L"清空后按“确定”即移除这个条件");
    }
    if (!cue_.empty()) edit_.SetCueText(cue_);
    ok_.Create(WS_CHILD | WS_VISIBLE, 0, L"Button", L"确定", layout.ok, hwnd, IDOK, moduleInstance(), nullptr);
    ok_.SetFont(buttonFont_);
    form_.Attach(hwnd);
}

void KeywordInputDialog::OnOk(HWND hwnd)
{
    wchar_t buffer[kTextBuffer] = {};
    WGUI::WindowBase(hwnd).GetDlgItem(kEditId).GetWindowText(buffer, kTextBuffer);
    text_ = buffer;
}

void KeywordInputDialog::OnDestroy(HWND hwnd)
{
    WGUI::WindowBase dialog(hwnd);
    dialog.SetWindowLong(GWLP_USERDATA, 0);
    WGUI::WindowBase button = dialog.GetDlgItem(IDOK);
    if (button.IsWindow()) button.DestroyWindow();
    if (edit_.IsWindow()) edit_.DestroyWindow();
    ok_.SetHandle(nullptr);
}

} // namespace ClosedFund
