// The client's top-level window: menu bar (theme, font size), tool bar, the fund-value tab
// control and a status bar, laid out top to bottom. Its size, position, maximised state and
// current page are kept in the user configuration across runs.
#pragma once
#include "FundTabCtrl.h"
#include "StatusBar.h"
#include "ToolBar.h"
#include "common/SaveNotice.h"
#include "common/ScopedWin.h"
#include "controls/XWin.h"
#include "host/App.h"
#include <functional>

namespace HostShell {

class ShellApp;

class MainFrameWindow final : public Control::XWin {
public:
    explicit MainFrameWindow(ShellApp* app) : app_(app) {}
    MainFrameWindow(const MainFrameWindow&) = delete;
    MainFrameWindow& operator=(const MainFrameWindow&) = delete;
    ~MainFrameWindow() override;

    // The window (hidden until shown); null on failure. quitOnDestroy ends the thread's
    // message loop when the window is closed or goes, as the client's main window does; a
    // closed window then stays until its owner destroys it.
    HWND createWindow(const wchar_t* title, bool quitOnDestroy);
    ToolBar& toolBar() { return toolBar_; }
    FundTabCtrl* tabCtrl() const { return tabCtrl_.get(); }
    HWND statusBar() const { return statusBar_.GetHwnd(); }
    StatusBar& status() { return statusBar_; }
    // A message, as modules show them: it stays until the next one.
    void setStatusText(const XStringW& text);
    // The start-up notice: it gives way after a few seconds, or at once to any message.
    void showNotice(const XStringW& text);
    // An error that stands beside the messages until it is resolved; empty removes it.
    void setStandingError(const XStringW& text);

    // Shows the window as cmdShow asks, maximised when it was maximised at the last close.
    void show(int cmdShow);
    // Brings forward the page that was current at the last close, when there is one by
    // that title.
    void restoreCurrentPage();
    // Stores the placement and the current page (done when the window goes, too).
    void saveState();

    // The menu's commands, also reached directly. A theme is chosen by its index in the
    // theme manager and kept in the user configuration; a font size writes the zoom to the
    // user configuration and tells every page through "event_theme_changed". A choice the
    // configuration does not keep is told in the status bar (a theme still shows until the
    // client closes; a font size cannot, since the pages read it from the configuration).
    bool chooseTheme(int index);
    bool chooseFontSize(double zoom);

    // The 文件 menu's commands on the data folder, given by the session that owns the fund
    // database: setting a damaged database aside (offered only while canSetAside says so)
    // and opening the data folder.
    struct DataFolderActions {
        std::function<bool()> canSetAside;
        std::function<void()> setAside;
        std::function<void()> openFolder;
    };
    void setDataFolderActions(DataFolderActions actions) { dataFolder_ = std::move(actions); }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static void onThemeChanged(void* theme, void* self);
    Common::ScopedMenu buildMenu();
    void updateMenuChecks(HMENU menu);
    void onCommand(UINT id);
    void layout();
    void applyTheme(Host::ITheme* theme);
    void restorePlacement();
    void onTimer(UINT_PTR id);
    // Tells once per reason that place ("主题") was not saved, and logs it.
    void reportSaveFailure(const XStringW& place);

    ShellApp* app_; // outlives the window
    ToolBar toolBar_;
    XComPtr<FundTabCtrl> tabCtrl_;
    StatusBar statusBar_;
    Common::SaveNotice saveNotice_;
    DataFolderActions dataFolder_;
    XStringW notice_;               // the start-up notice while it is shown
    bool restoreMaximised_ = false; // the window was maximised at the last close
    bool quitOnDestroy_ = false;
    bool subscribed_ = false;
};

} // namespace HostShell
