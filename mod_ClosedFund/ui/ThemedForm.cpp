#include "ui/ThemedForm.h"
#include "ui/WindowBase.h"
#include "ui/WindowProc.h"
#include "ui/WindowRegistry.h"
#include <common/ScopedWin.h>
#include <cwchar>

namespace WGUI {

namespace {

// The whole window's DC (frame included), given back with ReleaseDC.
class FrameDC {
public:
    explicit FrameDC(HWND hwnd) : hwnd_(hwnd), dc_(::GetWindowDC(hwnd)) {}
    ~FrameDC()
    {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    FrameDC(const FrameDC&) = delete;
    FrameDC& operator=(const FrameDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

bool isClass(HWND hwnd, const wchar_t* name)
{
    wchar_t cls[16] = {};
    ::GetClassNameW(hwnd, cls, 16);
    return _wcsicmp(cls, name) == 0;
}

void frame(HDC dc, const RECT& rect, COLORREF color)
{
    Common::ScopedGdi<HBRUSH> brush(::CreateSolidBrush(color));
    ::FrameRect(dc, &rect, brush);
}

} // namespace

HBRUSH SolidBrush::For(COLORREF color)
{
    if (!brush_.GetHandle() || color != color_) {
        brush_.Attach(::CreateSolidBrush(color));
        color_ = color;
    }
    return brush_;
}

HBRUSH ControlColors::Answer(UINT msg, HDC dc)
{
    bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
    bool ground = msg == WM_CTLCOLORDLG || msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN;
    if (!ThemedColors::Themed() || (!field && !ground)) return nullptr;
    const FormColors& colors = ThemedColors::Current();
    COLORREF back = field ? colors.field : colors.window;
    ::SetTextColor(dc, colors.text);
    ::SetBkColor(dc, back);
    return (field ? field_ : ground_).For(back);
}

// The client edge is two pixels: the border colour outside, the field's own inside.
bool PaintFieldEdge(HWND edit)
{
    if (!ThemedColors::Themed() || !(::GetWindowLongPtrW(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) return false;
    FrameDC dc(edit);
    if (!dc) return false;
    RECT rect = {};
    ::GetWindowRect(edit, &rect);
    ::OffsetRect(&rect, -rect.left, -rect.top);
    const FormColors& colors = ThemedColors::Current();
    frame(dc, rect, colors.border);
    ::InflateRect(&rect, -1, -1);
    frame(dc, rect, colors.field);
    return true;
}

// An edit of the dialog that no toolkit object holds, bound only for its edge.
class ThemedForm::FieldEdge : public WindowBase {
public:
    explicit FieldEdge(HWND edit) : WindowBase(edit) { binding_.Attach(this); }
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) override
    {
        if (msg != WM_NCPAINT || !PaintFieldEdge(hwnd_)) return false;
        *result = 0;
        return true;
    }

private:
    WindowProc binding_;
};

ThemedForm::ThemedForm() : watch_([this] { Restyle(); }) {}

ThemedForm::~ThemedForm() { Detach(); }

void ThemedForm::Attach(HWND dialog)
{
    dialog_ = dialog;
    Restyle();
}

void ThemedForm::Detach()
{
    edges_.clear();
    dialog_ = nullptr;
}

// The system's buttons become drawn ones once a theme is seen, and stay so (drawn in the
// system's colours should the theme go). The button that was the default keeps its mark.
void ThemedForm::Restyle()
{
    if (!dialog_ || !::IsWindow(dialog_)) return;
    for (HWND child = ::GetWindow(dialog_, GW_CHILD); child && ThemedColors::Themed();
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        LONG_PTR type = ::GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK;
        if (isClass(child, L"Button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
            if (type == BS_DEFPUSHBUTTON) defaultId_ = ::GetDlgCtrlID(child);
            ::SendMessageW(child, BM_SETSTYLE, BS_OWNERDRAW, FALSE);
            drawsButtons_ = true;
        } else if (isClass(child, L"Edit") && !WindowRegistry::Find(child)) {
            edges_.push_back(std::make_unique<FieldEdge>(child));
        }
    }
    ::RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

bool ThemedForm::OnMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (dialog != dialog_) return false;
    if (msg == WM_DESTROY) {
        Detach();
        return false;
    }
    if (msg == WM_DRAWITEM) {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!item || !DrawButton(*item)) return false;
        result = TRUE;
        return true;
    }
    HBRUSH brush = colors_.Answer(msg, reinterpret_cast<HDC>(wParam));
    if (!brush) return false;
    result = reinterpret_cast<INT_PTR>(brush);
    return true;
}

// Face, a border (doubled on the default button), the caption centred, the focus marked as
// the system's button marks it.
bool ThemedForm::DrawButton(const DRAWITEMSTRUCT& item) const
{
    if (!drawsButtons_ || item.CtlType != ODT_BUTTON || !item.hDC) return false;
    const FormColors& colors = ThemedColors::Current();
    RECT rect = item.rcItem;
    Common::ScopedGdi<HBRUSH> face(::CreateSolidBrush((item.itemState & ODS_SELECTED) ? colors.pushed : colors.face));
    ::FillRect(item.hDC, &rect, face);
    frame(item.hDC, rect, colors.border);
    if (int(item.CtlID) == defaultId_) {
        RECT inner = rect;
        ::InflateRect(&inner, -1, -1);
        frame(item.hDC, inner, colors.border);
    }
    wchar_t caption[64] = {};
    ::GetWindowTextW(item.hwndItem, caption, 64);
    auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    Common::SelectedObject selected(item.hDC, font);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, (item.itemState & ODS_DISABLED) ? colors.cue : colors.text);
    UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | ((item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
    ::DrawTextW(item.hDC, caption, -1, &rect, format);
    if (item.itemState & ODS_FOCUS) {
        ::InflateRect(&rect, -3, -3);
        ::DrawFocusRect(item.hDC, &rect);
    }
    return true;
}

} // namespace WGUI
