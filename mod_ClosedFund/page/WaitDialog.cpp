#include "page/WaitDialog.h"
#include "common/CallbackGuard.h"
#include "ui/Dpi.h"
#include <common/ScopedWin.h>
#include <algorithm>
#include <cwchar>

namespace ClosedFund {

namespace {

WaitDialog* g_current = nullptr;

const size_t kTemplateBytes = 1024;
const DWORD kDialogStyle = WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT;
const short kWidthDlu = 150, kHeightDlu = 25;
const int kMaxTextWidth = 600; // at 96 dpi, as the padding
const int kTextPadding = 80;
const UINT kTextFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
const wchar_t kDefaultMessage[] = L"请稍等...";

// The template: the header, then menu, class, title, point size and face all zero (none,
// default class, empty title, size 0 with an empty face), which the zero fill provides.
HGLOBAL buildTemplate()
{
    HGLOBAL block = ::GlobalAlloc(GMEM_ZEROINIT, kTemplateBytes);
    if (!block) return nullptr;
    auto* dlg = static_cast<DLGTEMPLATE*>(::GlobalLock(block));
    if (!dlg) {
        ::GlobalFree(block);
        return nullptr;
    }
    dlg->style = kDialogStyle;
    dlg->dwExtendedStyle = 0;
    dlg->cdit = 0;
    dlg->x = 0;
    dlg->y = 0;
    dlg->cx = kWidthDlu;
    dlg->cy = kHeightDlu;
    ::GlobalUnlock(block);
    return block;
}

int textWidth(HWND hwnd, HFONT font, const wchar_t* text)
{
    Common::WindowDC dc(hwnd);
    if (!dc.get()) return 0;
    Common::SelectedObject selected(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE size = {};
    ::GetTextExtentPoint32W(dc, text, int(wcslen(text)), &size);
    return size.cx;
}

} // namespace

WaitDialog::WaitDialog(const wchar_t* message) : message_()
{
    const wchar_t* text = message && *message ? message : kDefaultMessage;
    wcsncpy(message_, text, kMessageChars - 1);
    message_[kMessageChars - 1] = L'\0';
}

WaitDialog::~WaitDialog()
{
    if (IsWindow()) DestroyWindow();
    if (g_current == this) g_current = nullptr;
}

WaitDialog* WaitDialog::Current() { return g_current; }

HWND WaitDialog::Open(HINSTANCE instance, HWND owner)
{
    // One window per object: a second Open would otherwise leave the first on screen.
    if (IsWindow()) DestroyWindow();
    HGLOBAL block = buildTemplate();
    if (!block) return nullptr;
    auto* dlg = static_cast<DLGTEMPLATE*>(::GlobalLock(block));
    HWND hwnd = dlg ? ::CreateDialogIndirectParamW(instance, dlg, owner, &WaitDialog::DialogProc,
                                                   reinterpret_cast<LPARAM>(this))
                    : nullptr;
    ::GlobalUnlock(block);
    ::GlobalFree(block);
    hwnd_ = hwnd;
    return hwnd;
}

INT_PTR CALLBACK WaitDialog::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) noexcept
{
    return Common::guardCallback(L"the wait dialog", INT_PTR(0), [&] { return HandleMessage(hwnd, msg, lParam); });
}

// Every message returns 0, so the dialog manager does the rest.
INT_PTR WaitDialog::HandleMessage(HWND hwnd, UINT msg, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: reinterpret_cast<WaitDialog*>(lParam)->OnInitDialog(hwnd); break;
    case WM_PAINT:
        // A paint that arrives after the object is gone finds no current dialog.
        if (g_current && g_current->hwnd_ == hwnd) g_current->OnPaint(hwnd);
        break;
    case WM_DESTROY:
        if (g_current && g_current->hwnd_ == hwnd) g_current = nullptr;
        break;
    default: break;
    }
    return 0;
}

// Widens the dialog to the message (at most 600 pixels of it at 96 dpi) and centres it in the
// owner's window rectangle, the desktop's when the owner is not a window.
void WaitDialog::OnInitDialog(HWND hwnd)
{
    hwnd_ = hwnd;
    g_current = this;
    HWND owner = ::GetParent(hwnd);
    if (!::IsWindow(owner)) owner = ::GetDesktopWindow();
    UINT dpi = WGUI::WindowDpi(hwnd);
    font_.Attach(WGUI::CreateGuiFont(WGUI::UiScale{dpi, 1.0}));
    int width =
        std::min(textWidth(hwnd, font_, message_), WGUI::Scale(kMaxTextWidth, dpi)) + WGUI::Scale(kTextPadding, dpi);
    RECT self = {}, area = {};
    ::GetWindowRect(hwnd, &self);
    ::GetWindowRect(owner, &area);
    int height = self.bottom - self.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    ::SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void WaitDialog::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    if (!dc) return;
    RECT client = {};
    ::GetClientRect(hwnd, &client);
    {
        HFONT shown = font_.GetHandle();
        Common::SelectedObject font(dc, shown ? static_cast<HGDIOBJ>(shown) : ::GetStockObject(DEFAULT_GUI_FONT));
        ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextW(dc, message_, -1, &client, kTextFlags);
    }
    ::EndPaint(hwnd, &ps);
}

} // namespace ClosedFund
