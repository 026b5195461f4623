#include "ui/DropDownButton.h"
#include "module/ModuleHandle.h"
#include <common/ScopedWin.h>
#include <algorithm>
#include <cwchar>

namespace WGUI {

namespace {
const int kArrowLines = 5;
const int kMaxTipWidth = 300;
} // namespace

DropDownButton::~DropDownButton() { m_binding.reset(); }

HWND DropDownButton::Create(DWORD style, LPCWSTR text, HWND parent, UINT id, HINSTANCE instance)
{
    // A second Create must first unbind the window made before, which is still subclassed.
    m_binding.reset();
    RECT empty = {};
    HWND hwnd = WindowBase::Create(style, 0, L"Button", text, empty, parent, id, instance, nullptr);
    if (!hwnd) return nullptr;
    m_binding.reset(new WindowProc);
    m_binding->Attach(this);
    return hwnd;
}

bool DropDownButton::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_PAINT:
        *result = m_binding->CallDefault(msg, wParam, lParam);
        PaintCaptionAndArrow();
        return true;
    case WM_LBUTTONUP:
        Invalidate(TRUE);
        return false;
    // The caption is drawn here, not kept as the window text (the standard button would draw
    // that too), yet whoever asks the window for its text reads the caption a person sees.
    case WM_GETTEXTLENGTH:
        *result = LRESULT(m_caption.size());
        return true;
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<wchar_t*>(lParam);
        size_t n = wParam && buffer ? std::min(size_t(wParam) - 1, m_caption.size()) : 0;
        if (wParam && buffer) {
            wmemcpy(buffer, m_caption.c_str(), n);
            buffer[n] = L'\0';
        }
        *result = LRESULT(n);
        return true;
    }
    default:
        return false;
    }
}

// Drawn over the standard button after it painted itself, in the DC's own pen and text
// colour.
void DropDownButton::PaintCaptionAndArrow()
{
    HDC dc = GetDC();
    if (!dc) return;
    RECT client = {};
    GetClientRect(&client);
    {
        Common::SelectedObject font(dc, GetFont());
        ::SetBkMode(dc, TRANSPARENT);
        RECT text = client;
        text.left += 10;
        ::DrawTextW(dc, m_caption.c_str(), int(m_caption.size()), &text, DT_SINGLELINE | DT_VCENTER);
    }
    // Five lines, each two pixels shorter at both ends: 9, 7, 5, 3 and 1 pixels wide.
    int right = client.right, middle = (client.bottom - client.top) / 2;
    for (int i = 0; i < kArrowLines; ++i) {
        ::MoveToEx(dc, right - 16 + i, middle - 1 + i, nullptr);
        ::LineTo(dc, right - 7 - i, middle - 1 + i);
    }
    ReleaseDC(dc);
}

void DropDownButton::UpdateToolTip()
{
    if (m_toolTip.GetHandle() && !m_toolTip.IsWindow()) m_toolTip.SetHandle(nullptr);
    if (m_toolTipText.empty()) {
        if (m_toolTip.GetHandle()) m_toolTip.DestroyWindow();
        return;
    }
    if (!m_toolTip.GetHandle()) {
        // CW_USEDEFAULT for position and size: the tooltip places itself when it shows.
        RECT byDefault = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};
        m_toolTip.Create(WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                         byDefault, m_hWnd, 0, ClosedFund::moduleInstance(), nullptr);
        if (!m_toolTip.GetHandle()) return;
    }
    m_toolTip.SetMaxTipWidth(kMaxTipWidth);
    // The 64-bit common controls refuse a record smaller than their own layout, and version 5
    // of them refuses the newest layout's extra field; the second layout suits both.
    TTTOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT;
    tool.hwnd = ::GetParent(m_hWnd);
    tool.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    tool.lpszText = const_cast<LPWSTR>(m_toolTipText.c_str());
    m_toolTip.DelTool(&tool);
    m_toolTip.AddTool(&tool);
}

} // namespace WGUI
