#include "MainFrameWindow.h"
#include "ConfText.h"
#include "ShellApp.h"
#include "hostapi/KernelHost.h"
#include <commctrl.h>
#include <cmath>
#include <cwchar>

namespace HostShell {

namespace {

enum : UINT {
    kThemeCommand = 100,
    kFontCommand = 200,
    kExitCommand = 300,
    kSetAsideCommand = 301,
    kOpenFolderCommand = 302
};
enum : UINT_PTR { kNoticeTimer = 1 };
const UINT kNoticeMs = 10000;

// "left,top,right,bottom,maximised" of the restored window, in screen coordinates.
const char kPlacementKey[] = "/Client2/UserConfig/MainFrame/Placement";
// The title of the page that was current.
const char kCurrentPageKey[] = "/Client2/UserConfig/MainFrame/CurrentPage";
const RECT kDefaultRect{40, 30, 1240, 800};
const LONG kMinWidth = 320, kMinHeight = 240;

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

// Tells the pages of the tab control (its child windows) which theme is shown: the host's own
// pages colour their lists by it; any other window leaves the message alone.
void tellPages(HWND tabCtrl, HWND only, Host::ITheme* theme)
{
    for (HWND page = tabCtrl ? GetWindow(tabCtrl, GW_CHILD) : nullptr; page; page = GetWindow(page, GW_HWNDNEXT)) {
        if (!only || page == only) SendMessageW(page, frameThemeMessage(), kThemeApplied, LPARAM(theme));
    }
}

} // namespace

MainFrameWindow::~MainFrameWindow()
{
    if (subscribed_) {
        if (auto event = Host::getHostEvent("event_theme_changed")) event->unsubscribe(&onThemeChanged, this);
    }
    ReleaseWindow();
}

HWND MainFrameWindow::createWindow(const wchar_t* title, bool quitOnDestroy)
{
    quitOnDestroy_ = quitOnDestroy;
    if (!Create(0, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, kDefaultRect, nullptr, 0)) return nullptr;
    // The window destroys the menu bar it holds; one it refused stays ours.
    Common::ScopedMenu bar = buildMenu();
    if (SetMenu(GetHwnd(), bar)) bar.release();
    toolBar_.createWindow(GetHwnd());
    tabCtrl_ = XComPtr<FundTabCtrl>::adopt(new FundTabCtrl);
    tabCtrl_->createWindow(GetHwnd(), RECT{0, 0, 0, 0});
    statusBar_.createWindow(GetHwnd());
    restorePlacement();
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
    if (!notice_.empty()) KillTimer(GetHwnd(), kNoticeTimer);
    notice_.clear();
    statusBar_.setMessage(text);
}

void MainFrameWindow::showNotice(const XStringW& text)
{
    statusBar_.setMessage(text);
    notice_ = text;
    SetTimer(GetHwnd(), kNoticeTimer, kNoticeMs, nullptr);
}

void MainFrameWindow::setStandingError(const XStringW& text) { statusBar_.setError(text); }

void MainFrameWindow::onTimer(UINT_PTR id)
{
    if (id != kNoticeTimer) return;
    KillTimer(GetHwnd(), kNoticeTimer);
    // Only the notice itself is taken away; a message that came since stays.
    if (!notice_.empty() && statusBar_.message() == notice_) statusBar_.setMessage(XStringW());
    notice_.clear();
}

// A stored rectangle is used only when it is of a usable size and lies at least partly on a
// monitor: one left on a monitor that is gone would open the client out of sight.
void MainFrameWindow::restorePlacement()
{
    XStringW text = readConfText(app_->getUserConf().get(), kPlacementKey, L"");
    RECT r{};
    int maximised = 0;
    wchar_t tail = 0;
    if (swscanf(text.c_str(), L"%ld,%ld,%ld,%ld,%d%lc", &r.left, &r.top, &r.right, &r.bottom, &maximised, &tail) != 5)
        return;
    if (r.right - r.left < kMinWidth || r.bottom - r.top < kMinHeight) return;
    if (!MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(GetHwnd(), &placement);
    placement.flags = 0;
    placement.showCmd = SW_HIDE;
    placement.rcNormalPosition = r;
    SetWindowPlacement(GetHwnd(), &placement);
    restoreMaximised_ = maximised != 0;
}

void MainFrameWindow::show(int cmdShow)
{
    bool plain = cmdShow == SW_SHOWNORMAL || cmdShow == SW_SHOW || cmdShow == SW_SHOWDEFAULT;
    ShowWindow(restoreMaximised_ && plain ? SW_SHOWMAXIMIZED : cmdShow);
    UpdateWindow(GetHwnd());
}

void MainFrameWindow::restoreCurrentPage()
{
    XStringW title = readConfText(app_->getUserConf().get(), kCurrentPageKey, L"");
    if (title.empty() || !tabCtrl_) return;
    for (int i = 0; i < tabCtrl_->pageCount(); ++i) {
        Host::ITabPage* page = tabCtrl_->pageAt(i);
        if (page->getTitle() == title) {
            tabCtrl_->activatePage(page);
            return;
        }
    }
}

void MainFrameWindow::saveState()
{
    auto conf = app_->getUserConf();
    if (!conf || !IsWindow()) return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(GetHwnd(), &placement)) {
        // A window closed while minimised opens as it was before it was minimised.
        bool maximised = placement.showCmd == SW_SHOWMAXIMIZED ||
                         (placement.showCmd == SW_SHOWMINIMIZED && (placement.flags & WPF_RESTORETOMAXIMIZED));
        const RECT& r = placement.rcNormalPosition;
        XStringW text;
        text.format(L"%ld,%ld,%ld,%ld,%d", r.left, r.top, r.right, r.bottom, maximised ? 1 : 0);
        writeConfText(conf.get(), kPlacementKey, text);
    }
    if (tabCtrl_ && tabCtrl_->pageAt(tabCtrl_->activeIndex()))
        writeConfText(conf.get(), kCurrentPageKey, tabCtrl_->pageAt(tabCtrl_->activeIndex())->getTitle());
}

Common::ScopedMenu MainFrameWindow::buildMenu()
{
    Common::ScopedMenu themes(CreatePopupMenu());
    if (auto manager = app_->themeMgr()) {
        for (int i = 0; i < manager->getThemeCount() && i < 50; ++i) {
            auto theme = manager->getTheme(i);
            if (theme) AppendMenuW(themes, MF_STRING, kThemeCommand + i, themeCaption(theme->getName()).c_str());
        }
    }
    Common::ScopedMenu sizes(CreatePopupMenu());
    for (UINT i = 0; i < sizeof kFontSizes / sizeof kFontSizes[0]; ++i)
        AppendMenuW(sizes, MF_STRING, kFontCommand + i, kFontSizes[i].caption);
    Common::ScopedMenu view(CreatePopupMenu());
    Common::appendSubmenu(view, themes, L"主题(&T)");
    Common::appendSubmenu(view, sizes, L"字体大小(&F)");
    Common::ScopedMenu file(CreatePopupMenu());
    AppendMenuW(file, MF_STRING, kSetAsideCommand, L"移开损坏的数据库(&M)");
    AppendMenuW(file, MF_STRING, kOpenFolderCommand, L"打开数据文件夹(&O)");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, kExitCommand, L"退出(&X)");
    Common::ScopedMenu bar(CreateMenu());
    Common::appendSubmenu(bar, file, L"文件(&F)");
    Common::appendSubmenu(bar, view, L"查看(&V)");
    return bar;
}

// Marks the current theme and the stored font size wherever they appear in menu, and
// offers to set the fund database aside only while it is damaged.
void MainFrameWindow::updateMenuChecks(HMENU menu)
{
    bool damaged = dataFolder_.canSetAside && dataFolder_.canSetAside();
    EnableMenuItem(menu, kSetAsideCommand, MF_BYCOMMAND | (damaged ? MF_ENABLED : MF_GRAYED));
    auto manager = app_->themeMgr();
    auto current = manager ? manager->getCurrentTheme().cast<Host::IThemeHost>() : XComPtr<Host::IThemeHost>();
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
    auto manager = app_->themeMgr();
    auto theme = manager ? manager->getTheme(index) : XComPtr<Host::IThemeHost>();
    if (!theme || !manager->setCurrentTheme(theme->getName())) return false;
    if (writeConfText(app_->getUserConf().get(), kThemeKey, fromUtf8(theme->getName())))
        saveNotice_.saved(L"主题");
    else
        reportSaveFailure(L"主题");
    return true;
}

void MainFrameWindow::reportSaveFailure(const XStringW& place)
{
    auto conf = app_->getUserConf().cast<Host::IConfManagerHost>();
    XStringW reason = conf ? conf->lastWriteFailure() : XStringW();
    if (reason.empty()) reason = L"用户配置未能写入";
    Host::logWarning((L"a change of " + place + L" was not saved: " + reason).c_str());
    XStringW line = saveNotice_.failed(place, reason);
    if (!line.empty()) setStatusText(line);
}

bool MainFrameWindow::chooseFontSize(double zoom)
{
    auto value = Host::createInstanceAs<Host::IConfValueHost>("Conf.ConfValue");
    auto conf = app_->getUserConf();
    auto key = conf ? conf->createKey(kFontSizeKey).cast<Host::IConfKeyHost>() : XComPtr<Host::IConfKeyHost>();
    if (!value) return false;
    value->setDouble(zoom);
    if (!key || !key->store(value.get())) {
        reportSaveFailure(L"字体大小");
        return false;
    }
    saveNotice_.saved(L"字体大小");
    auto manager = app_->getThemeMgr();
    auto theme = manager ? manager->getCurrentTheme() : XComPtr<Host::ITheme>();
    if (auto event = Host::getHostEvent("event_theme_changed")) event->fire(theme.get());
    return true;
}

void MainFrameWindow::onCommand(UINT id)
{
    if (id == kExitCommand) {
        PostMessageW(GetHwnd(), WM_CLOSE, 0, 0);
    } else if (id == kSetAsideCommand) {
        if (dataFolder_.setAside) dataFolder_.setAside();
    } else if (id == kOpenFolderCommand) {
        if (dataFolder_.openFolder) dataFolder_.openFolder();
    } else if (id >= kFontCommand && id < kFontCommand + sizeof kFontSizes / sizeof kFontSizes[0]) {
        chooseFontSize(kFontSizes[id - kFontCommand].zoom);
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
    FrameColors colors = frameColors(theme);
    toolBar_.setColors(colors);
    if (tabCtrl_) tabCtrl_->setColors(colors);
    statusBar_.setColors(colors);
    if (tabCtrl_) tellPages(tabCtrl_->GetHwnd(), nullptr, theme);
}

void MainFrameWindow::layout()
{
    RECT client{};
    GetClientRect(&client);
    statusBar_.layout();
    int statusHeight = statusBar_.height();
    toolBar_.MoveWindow(0, 0, client.right, ToolBar::height());
    int top = ToolBar::height();
    int height = client.bottom - top - statusHeight;
    if (tabCtrl_) tabCtrl_->MoveWindow(0, top, client.right, height > 0 ? height : 0);
}

LRESULT MainFrameWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == frameThemeMessage() && wParam == kThemeAsked) {
        auto manager = app_->getThemeMgr();
        auto theme = manager ? manager->getCurrentTheme() : XComPtr<Host::ITheme>();
        if (tabCtrl_) tellPages(tabCtrl_->GetHwnd(), HWND(lParam), theme.get());
        return 1;
    }
    switch (msg) {
    case WM_SIZE: layout(); return 0;
    case WM_COMMAND:
        if (lParam == 0) onCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER: onTimer(wParam); return 0;
    case WM_INITMENUPOPUP: updateMenuChecks(HMENU(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_CLOSE:
        // The client's window ends the loop and stays until the session has uninitialised
        // its modules: their pages go with this window and must not go first.
        if (quitOnDestroy_)
            PostQuitMessage(0);
        else
            DestroyWindow();
        return 0;
    case WM_DESTROY:
        KillTimer(GetHwnd(), kNoticeTimer);
        saveState();
        if (tabCtrl_) tabCtrl_->releasePages();
        if (quitOnDestroy_) PostQuitMessage(0);
        break;
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace HostShell
