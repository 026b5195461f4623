#include "MainFrameWindow.h"
#include "ConfText.h"
#include "ShellApp.h"
#include "host/KernelHost.h"
#include <commctrl.h>
#include <cmath>

namespace HostShell {

namespace {

enum : UINT { kThemeCommand = 100, kFontCommand = 200, kExitCommand = 300 };

struct FontSizeChoice {
    const wchar_t* caption;
    double zoom;
};
const FontSizeChoice kFontSizes[] = {{L"小", 0.9}, {L"标准", 1.0}, {L"大", 1.2}, {L"特大", 1.5}};

XStringW themeCaption(const XStringA& name)
{
    if (name == "light") return L"浅色";
    if (name == "dark") return L"深色";
    return fromUtf8(name);
}

} // namespace

MainFrameWindow::~MainFrameWindow()
{
    if (subscribed_) {
        if (auto event = Host::getEvent("event_theme_changed")) event->unsubscribe(&onThemeChanged, this);
    }
    ReleaseWindow();
}

HWND MainFrameWindow::createWindow(const wchar_t* title, bool quitOnDestroy)
{
    quitOnDestroy_ = quitOnDestroy;
    if (!Create(0, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, RECT{40, 30, 1240, 800}, nullptr, 0))
        return nullptr;
    SetMenu(GetHwnd(), buildMenu());
    toolBar_.createWindow(GetHwnd());
    tabCtrl_ = XComPtr<FundTabCtrl>::adopt(new FundTabCtrl);
    tabCtrl_->createWindow(GetHwnd(), RECT{0, 0, 0, 0});
    statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                 GetHwnd(), nullptr, nullptr, nullptr);
    if (auto event = Host::createEvent("event_theme_changed")) {
        event->subscribe(&onThemeChanged, this);
        subscribed_ = true;
    }
    if (auto themes = app_->getThemeMgr()) applyTheme(themes->getCurrentTheme().get());
    layout();
    return GetHwnd();
}

void MainFrameWindow::setStatusText(const XStringW& text)
{
    if (statusBar_) SendMessageW(statusBar_, SB_SETTEXTW, 0, LPARAM(text.c_str()));
}

HMENU MainFrameWindow::buildMenu()
{
    HMENU themes = CreatePopupMenu();
    if (auto manager = app_->getThemeMgr()) {
        for (int i = 0; i < manager->getThemeCount() && i < 50; ++i) {
            auto theme = manager->getTheme(i);
            if (theme) AppendMenuW(themes, MF_STRING, kThemeCommand + i, themeCaption(theme->getName()).c_str());
        }
    }
    HMENU sizes = CreatePopupMenu();
    for (UINT i = 0; i < sizeof kFontSizes / sizeof kFontSizes[0]; ++i)
        AppendMenuW(sizes, MF_STRING, kFontCommand + i, kFontSizes[i].caption);
    HMENU view = CreatePopupMenu();
    AppendMenuW(view, MF_POPUP, UINT_PTR(themes), L"主题(&T)");
    AppendMenuW(view, MF_POPUP, UINT_PTR(sizes), L"字体大小(&F)");
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, kExitCommand, L"退出(&X)");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, UINT_PTR(file), L"文件(&F)");
    AppendMenuW(bar, MF_POPUP, UINT_PTR(view), L"查看(&V)");
    return bar;
}

// Marks the current theme and the stored font size wherever they appear in menu.
void MainFrameWindow::updateMenuChecks(HMENU menu)
{
    auto manager = app_->getThemeMgr();
    auto current = manager ? manager->getCurrentTheme() : XComPtr<Host::ITheme>();
    for (int i = 0; manager && i < manager->getThemeCount() && i < 50; ++i) {
        auto theme = manager->getTheme(i);
        bool on = theme && current && theme->getName() == current->getName();
        CheckMenuItem(menu, kThemeCommand + i, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    }
    double zoom = _wtof(readConfText(app_->getUserConf().get(), kFontSizeKey, L"1").c_str());
    for (UINT i = 0; i < sizeof kFontSizes / sizeof kFontSizes[0]; ++i) {
        bool on = std::fabs(kFontSizes[i].zoom - zoom) < 1e-6;
        CheckMenuItem(menu, kFontCommand + i, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    }
}

bool MainFrameWindow::chooseTheme(int index)
{
    auto manager = app_->getThemeMgr();
    auto theme = manager ? manager->getTheme(index) : XComPtr<Host::ITheme>();
    if (!theme || !manager->setCurrentTheme(theme->getName())) return false;
    writeConfText(app_->getUserConf().get(), kThemeKey, fromUtf8(theme->getName()));
    return true;
}

bool MainFrameWindow::chooseFontSize(double zoom)
{
    auto value = Host::createInstanceAs<Host::IConfValue>("Conf.ConfValue");
    auto conf = app_->getUserConf();
    auto key = conf ? conf->createKey(kFontSizeKey) : XComPtr<Host::IConfKey>();
    if (!value || !key) return false;
    value->setDouble(zoom);
    if (!key->setValue(value.get())) return false;
    auto manager = app_->getThemeMgr();
    auto theme = manager ? manager->getCurrentTheme() : XComPtr<Host::ITheme>();
    if (auto event = Host::getEvent("event_theme_changed")) event->fire(theme.get());
    return true;
}

void MainFrameWindow::onCommand(UINT id)
{
    if (id == kExitCommand) {
        PostMessageW(GetHwnd(), WM_CLOSE, 0, 0);
    } else if (id >= kFontCommand && id < kFontCommand + sizeof kFontSizes / sizeof kFontSizes[0]) {
        if (!chooseFontSize(kFontSizes[id - kFontCommand].zoom)) setStatusText(L"字体大小无法保存。");
    } else if (id >= kThemeCommand && id < kThemeCommand + 50) {
        chooseTheme(int(id - kThemeCommand));
    }
}

void MainFrameWindow::onThemeChanged(void* theme, void* self)
{
    static_cast<MainFrameWindow*>(self)->applyTheme(static_cast<Host::ITheme*>(theme));
}

void MainFrameWindow::applyTheme(Host::ITheme* theme)
{
    COLORREF background = GetSysColor(COLOR_BTNFACE);
    if (theme) theme->getColor("wnd_general_bg", background);
    toolBar_.setBackground(background);
}

void MainFrameWindow::layout()
{
    RECT client{};
    GetClientRect(&client);
    int statusHeight = 0;
    if (statusBar_) {
        SendMessageW(statusBar_, WM_SIZE, 0, 0);
        RECT r{};
        ::GetWindowRect(statusBar_, &r);
        statusHeight = r.bottom - r.top;
    }
    toolBar_.MoveWindow(0, 0, client.right, ToolBar::kHeight);
    int top = ToolBar::kHeight;
    int height = client.bottom - top - statusHeight;
    if (tabCtrl_) tabCtrl_->MoveWindow(0, top, client.right, height > 0 ? height : 0);
}

LRESULT MainFrameWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        layout();
        return 0;
    case WM_COMMAND:
        if (lParam == 0) onCommand(LOWORD(wParam));
        return 0;
    case WM_INITMENUPOPUP:
        updateMenuChecks(HMENU(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_CLOSE:
        // The client's window ends the loop and stays until the session has uninitialised
        // its modules: their pages go with this window and must not go first.
        if (quitOnDestroy_) PostQuitMessage(0);
        else DestroyWindow();
        return 0;
    case WM_DESTROY:
        if (tabCtrl_) tabCtrl_->releasePages();
        if (quitOnDestroy_) PostQuitMessage(0);
        break;
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace HostShell
