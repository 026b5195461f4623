#include "ModalDriver.h"
#include "Pixels.h"
#include <algorithm>

namespace TestSupport {

namespace {

thread_local ModalDriver* activeDriver = nullptr;

const UINT kTickMs = 30;
const int kMenuGraceTicks = 20;   // a menu still open this long after its keys is closed
const int kFileNameCombo = 0x47C; // cmb13
const int kFileNameEdit = 0x480;  // edt1
#ifndef MN_GETHMENU
#define MN_GETHMENU 0x01E1
#endif

std::wstring className(HWND hwnd)
{
    wchar_t buf[64] = {};
    GetClassNameW(hwnd, buf, 64);
    return buf;
}

std::wstring windowText(HWND hwnd)
{
    int n = GetWindowTextLengthW(hwnd);
    std::wstring s(size_t(n) + 1, L'\0');
    s.resize(GetWindowTextW(hwnd, &s[0], n + 1));
    return s;
}

// Visible top-level windows of this thread with the given class.
std::vector<HWND> threadWindows(const wchar_t* cls)
{
    struct Ctx {
        const wchar_t* cls;
        std::vector<HWND> found;
    } ctx{cls, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            if (IsWindowVisible(h) && className(h) == c->cls) c->found.push_back(h);
            return TRUE;
        },
        LPARAM(&ctx));
    return ctx.found;
}

std::set<HWND> openDialogs()
{
    std::vector<HWND> v = threadWindows(L"#32770");
    return std::set<HWND>(v.begin(), v.end());
}

std::vector<std::wstring> staticTexts(HWND dlg)
{
    std::vector<std::wstring> texts;
    EnumChildWindows(
        dlg,
        [](HWND h, LPARAM lp) -> BOOL {
            if (_wcsicmp(className(h).c_str(), L"Static") != 0) return TRUE;
            if ((GetWindowLongW(h, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return TRUE;
            std::wstring t = windowText(h);
            if (!t.empty()) reinterpret_cast<std::vector<std::wstring>*>(lp)->push_back(t);
            return TRUE;
        },
        LPARAM(&texts));
    return texts;
}

std::vector<std::wstring> menuTexts(HMENU menu)
{
    std::vector<std::wstring> items;
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        wchar_t buf[256] = {};
        GetMenuStringW(menu, UINT(i), buf, 256, MF_BYPOSITION);
        items.push_back(buf);
    }
    return items;
}

// A menu text as the user reads it: no '&' markers, no accelerator part after a tab.
std::wstring plainMenuText(const std::wstring& s)
{
    std::wstring out;
    for (wchar_t c : s) {
        if (c == L'\t') break;
        if (c != L'&') out += c;
    }
    return out;
}

bool isSeparator(HMENU menu, int pos)
{
    MENUITEMINFOW mi = {};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_FTYPE;
    return GetMenuItemInfoW(menu, UINT(pos), TRUE, &mi) && (mi.fType & MFT_SEPARATOR);
}

void postKey(HWND hwnd, WPARAM vk)
{
    PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageW(hwnd, WM_KEYUP, vk, LPARAM(0xC0000001));
}

} // namespace

ModalDriver::ModalDriver()
{
    // A menu selects the item under the mouse: a cursor left over the screen's top-left by
    // an earlier program would move the selection our keys start from.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    activeDriver = this;
    timer_ = SetTimer(nullptr, 0, kTickMs, &ModalDriver::onTimer);
}

ModalDriver::~ModalDriver()
{
    if (timer_) KillTimer(nullptr, timer_);
    if (activeDriver == this) activeDriver = nullptr;
}

void CALLBACK ModalDriver::onTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (activeDriver && !activeDriver->busy_) activeDriver->tick();
}

void ModalDriver::queue(Plan plan)
{
    plan.before = openDialogs();
    plans_.push_back(std::move(plan));
}

void ModalDriver::answerMessageBox(int buttonId) { queue({Action::PressButton, buttonId, 0, {}, {}, {}}); }
void ModalDriver::cancelDialog() { queue({Action::PressButton, IDCANCEL, 0, {}, {}, {}}); }
void ModalDriver::answerSaveDialog(const std::wstring& path) { queue({Action::SaveAs, IDOK, 0, path, {}, {}}); }
void ModalDriver::chooseMenuItem(const std::wstring& text) { chooseMenuPath({text}); }
void ModalDriver::chooseMenuPath(const std::vector<std::wstring>& path)
{
    queue({Action::MenuText, 0, 0, {}, path, {}});
}
void ModalDriver::chooseMenuItemId(UINT id) { queue({Action::MenuId, 0, id, {}, {}, {}}); }
void ModalDriver::cancelMenu() { queue({Action::MenuCancel, 0, 0, {}, {}, {}}); }

void ModalDriver::tick()
{
    busy_ = true;
    finishPendingMenu();
    if (!plans_.empty()) {
        const Plan& plan = plans_.front();
        bool isMenu =
            plan.action == Action::MenuText || plan.action == Action::MenuId || plan.action == Action::MenuCancel;
        bool used = isMenu ? answerMenuWindow(plan) : answerDialogWindow(plan);
        if (used) plans_.pop_front();
    }
    busy_ = false;
}

// Finds the newest enabled dialog with controls that was not open when the answer was
// queued, records its texts and answers it. False while there is none yet.
bool ModalDriver::answerDialogWindow(const Plan& plan)
{
    HWND target = nullptr;
    for (HWND h : threadWindows(L"#32770")) {
        if (!IsWindowEnabled(h) || plan.before.count(h) || answeredDialogs_.count(h)) continue;
        // A dialog without a control to press (a wait dialog shown while work runs) asks
        // nothing: the answer is for the next one that does.
        if (!GetWindow(h, GW_CHILD)) continue;
        bool hasFileName = GetDlgItem(h, kFileNameCombo) || GetDlgItem(h, kFileNameEdit);
        if (plan.action == Action::SaveAs && !hasFileName) continue;
        target = h;
    }
    if (!target) return false;
    Seen s;
    s.caption = windowText(target);
    s.texts = staticTexts(target);
    if (plan.action == Action::SaveAs) {
        HWND name = GetDlgItem(target, kFileNameCombo);
        if (!name) name = GetDlgItem(target, kFileNameEdit);
        SetWindowTextW(name, plan.text.c_str());
    }
    PostMessageW(target, WM_COMMAND, MAKEWPARAM(plan.buttonId, BN_CLICKED), LPARAM(GetDlgItem(target, plan.buttonId)));
    s.answered = true;
    answeredDialogs_.insert(target);
    seen_.push_back(std::move(s));
    return true;
}

// Popup menus take keys from the thread's queue while they track: Down moves over the
// non-separator items (from the first when nothing is selected), Right opens the selected
// submenu with its first such item selected, Return chooses.
bool ModalDriver::answerMenuWindow(const Plan& plan)
{
    if (menuInFlight_) return false; // the last choice's menus are still closing
    std::vector<HWND> menus = threadWindows(L"#32768");
    if (menus.empty()) return false;
    HWND menuWnd = menus.front();
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWnd, MN_GETHMENU, 0, 0));
    Seen s;
    s.menu = true;
    if (menu) s.menuItems = menuTexts(menu);
    std::vector<int> places =
        plan.action == Action::MenuCancel ? std::vector<int>() : keyPlaces(menu, plan, &s.chosenFrom);
    if (places.empty()) {
        EndMenu();
        s.answered = plan.action == Action::MenuCancel;
    } else {
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        for (int k = 0; k < places[0]; ++k) postKey(menuWnd, VK_DOWN);
        for (size_t level = 1; level < places.size(); ++level) {
            postKey(menuWnd, VK_RIGHT);
            for (int k = 1; k < places[level]; ++k) postKey(menuWnd, VK_DOWN);
        }
        postKey(menuWnd, VK_RETURN);
        menuInFlight_ = menuWnd;
        menuTicks_ = 0;
        s.answered = true;
    }
    seen_.push_back(std::move(s));
    return true;
}

// For each menu along the plan's choice, outermost first, the place of the item to take
// among the items keys reach (from 1). Empty when the choice leads nowhere: a missing item,
// a middle item without a submenu, a last item with one (Return would only open it).
std::vector<int> ModalDriver::keyPlaces(HMENU menu, const Plan& plan, std::vector<std::wstring>* chosenFrom)
{
    std::vector<int> places;
    size_t levels = plan.action == Action::MenuId ? 1 : plan.path.size();
    for (size_t level = 0; level < levels; ++level) {
        int n = menu ? GetMenuItemCount(menu) : 0, pos = -1;
        std::vector<std::wstring> texts = menu ? menuTexts(menu) : std::vector<std::wstring>();
        for (int i = 0; i < n && pos < 0; ++i) {
            if (isSeparator(menu, i)) continue;
            bool match = plan.action == Action::MenuId ? GetMenuItemID(menu, i) == plan.menuId
                                                       : texts[size_t(i)] == plan.path[level] ||
                                                             plainMenuText(texts[size_t(i)]) == plan.path[level];
            if (match) pos = i;
        }
        if (pos < 0) return {};
        HMENU sub = GetSubMenu(menu, pos);
        bool last = level + 1 == levels;
        if (last == (sub != nullptr)) return {};
        int place = 0;
        for (int i = 0; i <= pos; ++i) place += !isSeparator(menu, i);
        places.push_back(place);
        *chosenFrom = texts;
        menu = sub;
    }
    return places;
}

// A chosen item that did not close its menu (a disabled item, say) must not leave the test
// stuck in the menu loop.
void ModalDriver::finishPendingMenu()
{
    if (!menuInFlight_) return;
    if (!IsWindow(menuInFlight_) || !IsWindowVisible(menuInFlight_)) {
        menuInFlight_ = nullptr;
        return;
    }
    if (++menuTicks_ < kMenuGraceTicks) return;
    EndMenu();
    menuInFlight_ = nullptr;
    for (auto it = seen_.rbegin(); it != seen_.rend(); ++it)
        if (it->menu) {
            it->answered = false;
            break;
        }
}

bool ModalDriver::waitDone(DWORD ms)
{
    DWORD start = GetTickCount();
    while (!plans_.empty() && GetTickCount() - start < ms) pumpMessages(10);
    return plans_.empty();
}

std::wstring ModalDriver::lastCaption() const
{
    for (auto it = seen_.rbegin(); it != seen_.rend(); ++it)
        if (!it->menu) return it->caption;
    return {};
}

std::wstring ModalDriver::lastText() const
{
    for (auto it = seen_.rbegin(); it != seen_.rend(); ++it) {
        if (it->menu) continue;
        std::wstring joined;
        for (const std::wstring& t : it->texts) joined += (joined.empty() ? L"" : L"\n") + t;
        return joined;
    }
    return {};
}

std::vector<std::wstring> ModalDriver::lastMenuItems() const
{
    for (auto it = seen_.rbegin(); it != seen_.rend(); ++it)
        if (it->menu) return it->menuItems;
    return {};
}

} // namespace TestSupport
