#include "ui/DialogTemplate.h"
#include <algorithm>
#include <cwchar>

namespace WGUI {

namespace {

const size_t kTemplateBytes = 1024;
const size_t kHeaderBytes = 18; // DLGTEMPLATE as the dialog manager reads it (WORD-packed)
const size_t kMaxTitleChars = 100;
const DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

// The template counts in dialog units of the system font (it names no font of its own):
// a horizontal unit is a quarter of the base width, a vertical one an eighth of the height.
// Rounded up, so the frame never starts smaller than the controls; WM_INITDIALOG then sets
// the exact pixel size.
short dluWidth(int pixels) { return short(::MulDiv(pixels, 4, LOWORD(::GetDialogBaseUnits())) + 1); }
short dluHeight(int pixels) { return short(::MulDiv(pixels, 8, HIWORD(::GetDialogBaseUnits())) + 1); }

} // namespace

INT_PTR DialogBoxInPixels(HINSTANCE instance, HWND parent, const wchar_t* title, int clientWidth, int clientHeight,
                          DLGPROC proc, LPARAM param)
{
    HGLOBAL block = ::GlobalAlloc(GMEM_ZEROINIT, kTemplateBytes);
    if (!block) return -1;
    auto* bytes = static_cast<BYTE*>(::GlobalLock(block));
    if (!bytes) {
        ::GlobalFree(block);
        return -1;
    }
    // Header, no menu, the default class, the title; the zero fill ends every list.
    auto* dlg = reinterpret_cast<DLGTEMPLATE*>(bytes);
    dlg->style = kDialogStyle;
    dlg->cx = dluWidth(clientWidth);
    dlg->cy = dluHeight(clientHeight);
    auto* words = reinterpret_cast<WORD*>(bytes + kHeaderBytes);
    size_t length = std::min(wcslen(title), kMaxTitleChars);
    wmemcpy(reinterpret_cast<wchar_t*>(words + 2), title, length);
    INT_PTR result = ::DialogBoxIndirectParamW(instance, dlg, parent, proc, param);
    ::GlobalUnlock(block);
    ::GlobalFree(block);
    return result;
}

void PlaceDialog(HWND dialog, int x, int y, int clientWidth, int clientHeight)
{
    RECT frame = {0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, DWORD(::GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                         DWORD(::GetWindowLongW(dialog, GWL_EXSTYLE)));
    ::SetWindowPos(dialog, nullptr, x, y, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace WGUI
