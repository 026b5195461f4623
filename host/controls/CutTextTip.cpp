#include "CutTextTip.h"
#include <commctrl.h>

namespace Control {

namespace {

const UINT_PTR kToolId = 1;

// The 64-bit common controls refuse a record smaller than their own layout, and version 5
// of them refuses the newest layout's extra field; the second layout suits both.
TTTOOLINFOW toolRecord(HWND owner, const std::wstring* text)
{
    TTTOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = owner;
    tool.uId = kToolId;
    tool.lpszText = text ? const_cast<LPWSTR>(text->c_str()) : nullptr;
    return tool;
}

} // namespace

// A tracking tool: the grid knows better than the tooltip which part of the window is a
// spot of its own, so it places and shows the tip itself.
bool CutTextTip::make(HWND owner)
{
    if (tip_ && owner_ == owner && IsWindow(tip_)) return true;
    destroy();
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    if (!tip_) return false;
    owner_ = owner;
    std::wstring none;
    TTTOOLINFOW tool = toolRecord(owner, &none);
    if (!SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
        destroy();
        return false;
    }
    return true;
}

bool CutTextTip::show(HWND owner, const std::wstring& text, POINT screen)
{
    if (!make(owner)) return false;
    TTTOOLINFOW tool = toolRecord(owner_, &text);
    SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x, screen.y));
    SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    shown_ = true;
    return true;
}

void CutTextTip::hide()
{
    if (!shown_) return;
    shown_ = false;
    if (!tip_ || !IsWindow(tip_)) return;
    TTTOOLINFOW tool = toolRecord(owner_, nullptr);
    SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

void CutTextTip::destroy()
{
    if (tip_ && IsWindow(tip_)) DestroyWindow(tip_);
    tip_ = nullptr;
    owner_ = nullptr;
    shown_ = false;
}

} // namespace Control
