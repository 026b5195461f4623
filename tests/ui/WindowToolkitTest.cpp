// Binding, dispatch, reflection and lifetime of toolkit windows; the file dialog; the GDI owner.
#include "ModalDriver.h"
#include "TempDir.h"
#include "UiTestWindows.h"
#include "ui/Button.h"
#include "ui/FileDialog.h"
#include "ui/GdiObject.h"
#include "ui/WindowRegistry.h"
#include <common/ScopedWin.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

using UiTest::HostWindow;
using UiTest::Recorder;

namespace {

int g_ncDestroyed = 0;
WNDPROC g_buttonProc = nullptr;

// A "Button" class of our own that counts the WM_NCDESTROY it receives.
LRESULT CALLBACK countingButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCDESTROY) ++g_ncDestroyed;
    return CallWindowProcW(g_buttonProc, hwnd, msg, wp, lp);
}

const wchar_t* countingButtonClass()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(nullptr, L"Button", &wc)) return nullptr;
    g_buttonProc = wc.lpfnWndProc;
    wc.lpfnWndProc = countingButtonProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"WGUI_CountingButton";
    RegisterClassExW(&wc);
    return wc.lpszClassName;
}

int g_outerSeen = 0;
WNDPROC g_outerNext = nullptr;

// A subclass installed over a bound control by someone else (as a tooltip does).
LRESULT CALLBACK outerSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    ++g_outerSeen;
    return CallWindowProcW(g_outerNext, hwnd, msg, wp, lp);
}

} // namespace

TEST(WindowToolkit, DispatchesAndReflectsMessages)
{
    HostWindow host({10, 10, 310, 210});
    ASSERT_NE(host.hwnd(), nullptr);
    EXPECT_EQ(host.object.handleAtCreate, host.hwnd());
    EXPECT_EQ(host.object.count(WM_NCCREATE), 0u) << "WM_NCCREATE comes before the binding";
    EXPECT_EQ(host.object.count(WM_CREATE), 1u);

    // No binding: the default processing still keeps the window's text.
    WGUI::WindowBase unbound;
    RECT r = {0, 0, 50, 20};
    ASSERT_NE(
        unbound.Create(WS_POPUP, 0, UiTest::hostClass(), L"plain", r, nullptr, 0, GetModuleHandleW(nullptr), nullptr),
        nullptr);
    EXPECT_EQ(WGUI::WindowRegistry::Find(unbound.GetHandle()), nullptr);
    wchar_t text[16] = {};
    EXPECT_EQ(unbound.GetWindowText(text, 16), 5);
    EXPECT_STREQ(text, L"plain");
    unbound.SendMessage(WM_SETTEXT, 0, LPARAM(L"changed"));
    EXPECT_EQ(unbound.GetWindowTextLength(), 7);
    unbound.DestroyWindow();

    // A standard button bound afterwards.
    Recorder child;
    RECT cr = {5, 5, 85, 30};
    child.Create(WS_CHILD | WS_VISIBLE, 0, L"Button", L"b", cr, host.hwnd(), 77, GetModuleHandleW(nullptr), nullptr);
    WGUI::WindowProc childBinding;
    ASSERT_TRUE(childBinding.Attach(&child));
    EXPECT_EQ(WGUI::WindowRegistry::Find(child.GetHandle()), &childBinding);

    // A menu command (lParam 0) is not reflected.
    host.object.messages.clear();
    host.object.SendMessage(WM_COMMAND, MAKEWPARAM(305, 0), 0);
    EXPECT_TRUE(child.reflected.empty());
    EXPECT_EQ(host.object.count(WM_COMMAND), 1u);

    // A click the child declines reaches the parent; one it answers does not. The button's
    // colour requests, while it repaints, are offered to it first too.
    SendMessageW(child.GetHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(std::count(child.reflected.begin(), child.reflected.end(), UINT(WM_COMMAND)), 1);
    for (UINT reflected : child.reflected) EXPECT_TRUE(reflected == WM_COMMAND || reflected == WM_CTLCOLORBTN);
    EXPECT_EQ(host.object.count(WM_COMMAND), 2u);
    child.answerReflected = WM_NOTIFY;
    child.answer = 42;
    NMHDR hdr = {child.GetHandle(), 77, UINT(-2)};
    EXPECT_EQ(host.object.SendMessage(WM_NOTIFY, 77, LPARAM(&hdr)), 42);
    EXPECT_EQ(host.object.count(WM_NOTIFY), 0u);

    // A handler that says handled without a result answers 0.
    host.object.answerMsg = WM_USER + 1;
    host.object.answer = 0;
    EXPECT_EQ(host.object.SendMessage(WM_USER + 1, 1, 2), 0);
}

TEST(WindowToolkit, ObjectsNeverOwnTheirWindows)
{
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    {
        WGUI::WindowBase temporary(hwnd);
    }
    EXPECT_TRUE(IsWindow(hwnd));

    WGUI::WindowBase stale(reinterpret_cast<HWND>(UINT_PTR(0x7FFF1234)));
    EXPECT_FALSE(stale.DestroyWindow());
    EXPECT_EQ(stale.GetHandle(), reinterpret_cast<HWND>(UINT_PTR(0x7FFF1234)));
    WGUI::WindowBase real(hwnd);
    EXPECT_TRUE(real.DestroyWindow());
    EXPECT_EQ(real.GetHandle(), nullptr);
    EXPECT_FALSE(real.IsWindow());

    // An object and binding deleted before their own-class window: later messages get the
    // default processing instead of a deleted object.
    auto object = std::make_unique<Recorder>();
    auto binding = std::make_unique<WGUI::WindowProc>();
    RECT r = {0, 0, 40, 40};
    HWND own = object->Create(WS_POPUP, 0, UiTest::hostClass(), L"own", r, nullptr, 0, GetModuleHandleW(nullptr),
                              binding.get());
    binding.reset();
    object.reset();
    EXPECT_EQ(WGUI::WindowRegistry::Find(own), nullptr);
    EXPECT_EQ(SendMessageW(own, WM_GETTEXTLENGTH, 0, 0), 3);
    EXPECT_TRUE(DestroyWindow(own));

    // A bound child that goes with its parent forgets its handle.
    UiTest::HostWindow parent(r);
    Recorder child;
    WGUI::WindowProc childBinding;
    ASSERT_TRUE(child.Create(WS_CHILD | WS_VISIBLE, 0, UiTest::hostClass(), L"child", r, parent.hwnd(), 7,
                             GetModuleHandleW(nullptr), &childBinding));
    EXPECT_TRUE(parent.object.DestroyWindow());
    EXPECT_EQ(child.count(WM_DESTROY), 1u);
    EXPECT_EQ(child.GetHandle(), nullptr);
    EXPECT_FALSE(child.IsWindow());
}

TEST(WindowToolkit, SubclassedControlsGetTheirProcedureBack)
{
    const wchar_t* cls = countingButtonClass();
    ASSERT_NE(cls, nullptr);
    RECT r = {0, 0, 60, 20};

    // Unbound while the window lives: the original procedure is back.
    Recorder a;
    a.Create(WS_POPUP, 0, cls, L"a", r, nullptr, 0, GetModuleHandleW(nullptr), nullptr);
    auto before = GetWindowLongPtrW(a.GetHandle(), GWLP_WNDPROC);
    {
        WGUI::WindowProc binding;
        binding.Attach(&a);
        EXPECT_NE(GetWindowLongPtrW(a.GetHandle(), GWLP_WNDPROC), before);
    }
    EXPECT_EQ(GetWindowLongPtrW(a.GetHandle(), GWLP_WNDPROC), before);
    EXPECT_EQ(WGUI::WindowRegistry::Find(a.GetHandle()), nullptr);

    // Destroyed while bound: the control still gets its WM_NCDESTROY to free its state.
    Recorder b;
    WGUI::WindowProc binding;
    b.Create(WS_POPUP, 0, cls, L"b", r, nullptr, 0, GetModuleHandleW(nullptr), nullptr);
    binding.Attach(&b);
    g_ncDestroyed = 0;
    HWND hb = b.GetHandle();
    EXPECT_TRUE(b.DestroyWindow());
    EXPECT_EQ(g_ncDestroyed, 1);
    EXPECT_EQ(b.count(WM_DESTROY), 1u);
    EXPECT_EQ(WGUI::WindowRegistry::Find(hb), nullptr);
    a.DestroyWindow();

    // Subclassed again by someone else after the binding: unbinding keeps that subclass in
    // the chain, and the control goes on working.
    Recorder c;
    c.Create(WS_POPUP, 0, cls, L"c", r, nullptr, 0, GetModuleHandleW(nullptr), nullptr);
    HWND hc = c.GetHandle();
    {
        WGUI::WindowProc first;
        first.Attach(&c);
        g_outerNext = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hc, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&outerSubclassProc)));
    }
    g_outerSeen = 0;
    SendMessageW(hc, WM_SETTEXT, 0, LPARAM(L"outer"));
    EXPECT_GT(g_outerSeen, 0) << "the later subclass was not cut out";
    EXPECT_EQ(GetWindowTextLengthW(hc), 5);
    EXPECT_EQ(c.count(WM_SETTEXT), 0u);

    // Bound once more, and twice at the same time: each message reaches the object once and
    // the toolkit never chains to itself.
    WGUI::WindowProc again, twice;
    ASSERT_TRUE(again.Attach(&c));
    ASSERT_TRUE(twice.Attach(&c));
    SendMessageW(hc, WM_SETTEXT, 0, LPARAM(L"again"));
    EXPECT_EQ(c.count(WM_SETTEXT), 1u);
    EXPECT_EQ(GetWindowTextLengthW(hc), 5);
    g_ncDestroyed = 0;
    EXPECT_TRUE(c.DestroyWindow());
    EXPECT_EQ(g_ncDestroyed, 1);
}

// The binding alone carries a control's own procedure to its end: left under another
// subclass, after WM_DESTROY, or bound a second time on a window of the toolkit's class.
TEST(WindowToolkit, TheBindingCarriesTheControlsProcedureToItsLastMessage)
{
    const wchar_t* cls = countingButtonClass();
    ASSERT_NE(cls, nullptr);
    RECT r = {0, 0, 60, 20};

    // Unbound under another subclass, then destroyed: the control sees its WM_NCDESTROY once
    // and nothing of the handle stays in the registry.
    Recorder d;
    d.Create(WS_POPUP, 0, cls, L"d", r, nullptr, 0, GetModuleHandleW(nullptr), nullptr);
    HWND hd = d.GetHandle();
    {
        WGUI::WindowProc binding;
        binding.Attach(&d);
        g_outerNext = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&outerSubclassProc)));
    }
    WGUI::WindowProc* keeper = WGUI::WindowRegistry::Find(hd);
    ASSERT_NE(keeper, nullptr);
    EXPECT_TRUE(keeper->IsPassThrough());
    EXPECT_EQ(keeper->GetWindow(), nullptr);
    g_ncDestroyed = 0;
    EXPECT_TRUE(DestroyWindow(hd));
    EXPECT_EQ(g_ncDestroyed, 1);
    EXPECT_EQ(WGUI::WindowRegistry::Find(hd), nullptr);

    // A binding that goes between WM_DESTROY and WM_NCDESTROY (its object already forgot the
    // handle) takes its entry with it; the control still gets its last message.
    Recorder e;
    auto binding = std::make_unique<WGUI::WindowProc>();
    e.Create(WS_POPUP, 0, cls, L"e", r, nullptr, 0, GetModuleHandleW(nullptr), nullptr);
    HWND he = e.GetHandle();
    binding->Attach(&e);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, he, nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    // The child's WM_DESTROY comes after the parent's and before the parent's WM_NCDESTROY.
    static WGUI::WindowProc* s_dropped;
    static WNDPROC s_staticProc;
    s_dropped = binding.release();
    s_staticProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(child, GWLP_WNDPROC));
    SetWindowLongPtrW(child, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                          if (m == WM_DESTROY) {
                              delete s_dropped;
                              s_dropped = nullptr;
                          }
                          return CallWindowProcW(s_staticProc, h, m, w, l);
                      }));
    g_ncDestroyed = 0;
    EXPECT_TRUE(DestroyWindow(he));
    EXPECT_EQ(s_dropped, nullptr);
    EXPECT_EQ(g_ncDestroyed, 1);
    EXPECT_EQ(WGUI::WindowRegistry::Find(he), nullptr);

    // A window of the toolkit's own class bound again: nothing is chained, messages reach the
    // object once and the default processing still answers.
    HostWindow host({0, 0, 100, 50});
    WGUI::WindowProc second;
    ASSERT_TRUE(second.Attach(&host.object));
    EXPECT_EQ(second.GetPreviousProc(), nullptr);
    host.object.messages.clear();
    SendMessageW(host.hwnd(), WM_SETTEXT, 0, LPARAM(L"again"));
    EXPECT_EQ(host.object.count(WM_SETTEXT), 1u);
    EXPECT_EQ(GetWindowTextLengthW(host.hwnd()), 5);
}

namespace {

// Throws from its handler for one message, as a failed allocation deep in a paint would.
class ThrowingWindow : public UiTest::Recorder {
public:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (msg == WM_APP + 1) throw std::runtime_error("handler failed");
        return Recorder::OnMessage(msg, wParam, lParam, result);
    }
};

} // namespace

// The exception stops at the window procedure: the sender gets 0 and the window goes on.
TEST(WindowToolkit, AHandlerThatThrowsIsAnsweredZeroAndTheWindowLivesOn)
{
    ThrowingWindow window;
    WGUI::WindowProc binding;
    RECT r = {0, 0, 50, 20};
    ASSERT_NE(window.Create(WS_POPUP, 0, UiTest::hostClass(), L"", r, nullptr, 0, GetModuleHandleW(nullptr), &binding),
              nullptr);
    window.answerMsg = WM_APP + 2;
    window.answer = 42;
    EXPECT_EQ(window.SendMessage(WM_APP + 1, 0, 0), 0);
    EXPECT_EQ(window.SendMessage(WM_APP + 2, 0, 0), 42);
    window.DestroyWindow();
}

TEST(FileDialog, KeepsWhatItsBuffersHoldAndReportsTheChoice)
{
    std::wstring longName(300, L'x');
    longName.replace(0, 4, L"基金列表");
    WGUI::FileDialog cut(GetModuleHandleW(nullptr), false, L"csv", longName.c_str(), 0, nullptr, nullptr);
    EXPECT_EQ(std::wstring(cut.FileName()), longName.substr(0, 259));
    WGUI::FileDialog none(GetModuleHandleW(nullptr), true, nullptr, nullptr, 0, nullptr, nullptr);
    EXPECT_STREQ(none.FileName(), L"");

    TestSupport::TempDir dir;
    const wchar_t filters[] = L"CSV 文件 (*.csv)\0*.csv\0所有文件 (*.*)\0*.*\0";
    const DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    HostWindow owner({100, 100, 400, 300});
    {
        WGUI::FileDialog dlg(GetModuleHandleW(nullptr), false, L"csv", L"封闭式基金", flags, filters, nullptr);
        EXPECT_EQ(dlg.Record().Flags, flags | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING);
        TestSupport::ModalDriver d;
        d.cancelDialog();
        EXPECT_EQ(dlg.DoModal(owner.hwnd()), IDCANCEL);
        EXPECT_EQ(dlg.Record().hwndOwner, owner.hwnd());
        EXPECT_EQ(d.pending(), 0u);
    }
    {
        WGUI::FileDialog dlg(GetModuleHandleW(nullptr), false, L"csv", L"封闭式基金", flags, filters, nullptr);
        TestSupport::ModalDriver d;
        d.answerSaveDialog(dir.file(L"导出"));
        EXPECT_EQ(dlg.DoModal(owner.hwnd()), IDOK);
        EXPECT_EQ(std::wstring(dlg.FileName()), dir.file(L"导出.csv"));
        EXPECT_EQ(dlg.FilterIndex(), 1u);
    }
}

// A menu's owner destroys it once: not at all once a window or a parent menu holds it.
TEST(ScopedMenu, DestroysWhatItStillOwns)
{
    HMENU kept = nullptr, attached = nullptr;
    {
        Common::ScopedMenu bar(CreateMenu());
        Common::ScopedMenu sub(CreatePopupMenu());
        ASSERT_TRUE(bar && sub);
        attached = Common::appendSubmenu(bar, sub, L"文件");
        EXPECT_NE(attached, nullptr);
        EXPECT_EQ(sub.get(), nullptr) << "the parent owns the submenu now";
        Common::ScopedMenu refused(CreatePopupMenu());
        EXPECT_EQ(Common::appendSubmenu(nullptr, refused, L"x"), nullptr);
        EXPECT_NE(refused.get(), nullptr) << "a submenu nobody took stays with its owner";
        kept = refused.get();
        refused.reset(kept);
        EXPECT_TRUE(IsMenu(kept)) << "taking the menu held already keeps it";
    }
    EXPECT_FALSE(IsMenu(attached));
    EXPECT_FALSE(IsMenu(kept));

    // The window takes a menu bar: released to it, it goes with the window and no sooner.
    HostWindow frame({0, 0, 200, 100});
    Common::ScopedMenu bar(CreateMenu());
    AppendMenuW(bar, MF_STRING, 1, L"退出");
    HMENU handle = bar.get();
    ASSERT_TRUE(SetMenu(frame.hwnd(), bar));
    bar.release();
    EXPECT_TRUE(IsMenu(handle));
    frame.object.DestroyWindow();
    EXPECT_FALSE(IsMenu(handle));
}

TEST(GdiObject, OwnsExactlyOneHandle)
{
    HBRUSH first = CreateSolidBrush(RGB(1, 2, 3));
    HBRUSH second = CreateSolidBrush(RGB(4, 5, 6));
    {
        gdiobj::GdiObject<HBRUSH> brush;
        brush.Attach(first);
        brush.Attach(first);
        EXPECT_EQ(GetObjectType(first), DWORD(OBJ_BRUSH)) << "attaching the same handle keeps it";
        brush.Attach(second);
        EXPECT_EQ(GetObjectType(first), 0u) << "the replaced brush is deleted, not leaked";
        EXPECT_EQ(brush.GetHandle(), second);
    }
    EXPECT_EQ(GetObjectType(second), 0u);
    gdiobj::GdiObject<HFONT> font(CreateFontW(16, 0, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 0, L"宋体"));
    HFONT f = font;
    font.DeleteNow();
    EXPECT_EQ(font.GetHandle(), nullptr);
    EXPECT_EQ(GetObjectType(f), 0u);
}
