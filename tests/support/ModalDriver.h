// Answers the modal windows that code under test opens on the test's own thread: message
// boxes, dialogs, popup menus and the common open/save dialogs. A thread timer fires inside
// whatever modal loop is running; on each tick the driver looks for a new modal window of the
// thread, records its texts and gives it the next queued answer. No product code knows.
//
//   TestSupport::ModalDriver d;
//   d.answerMessageBox(IDOK);
//   codeThatShowsAMessageBox();
//   EXPECT_EQ(d.lastCaption(), L"ERROR");
//
// Answers are used in the order they were queued, one per modal window. One driver per
// thread at a time.
#pragma once
#include <windows.h>
#include <deque>
#include <set>
#include <string>
#include <vector>

namespace TestSupport {

class ModalDriver {
public:
    // What the driver saw of one modal window.
    struct Seen {
        bool menu = false;                    // a popup menu rather than a dialog
        std::wstring caption;                 // dialog caption
        std::vector<std::wstring> texts;      // non-empty static texts of a dialog
        std::vector<std::wstring> menuItems;  // item texts of a menu, "" for separators
        std::vector<std::wstring> chosenFrom; // item texts of the (sub)menu the choice was in
        bool answered = false;                // the queued answer could be given
    };

    ModalDriver();
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    // Presses the button with this id (IDOK, IDYES, ...) of the next message box or dialog.
    void answerMessageBox(int buttonId);
    void answerDialog(int buttonId) { answerMessageBox(buttonId); }
    // Presses IDCANCEL of the next dialog (message box, file dialog, any dialog).
    void cancelDialog();
    // Types path into the file-name box of the next open/save dialog and accepts it.
    void answerSaveDialog(const std::wstring& path);
    // Chooses an item of the next popup menu by its text ('&' and a "\t..." accelerator part
    // are ignored) or by its command id; cancels the menu when there is no such item.
    void chooseMenuItem(const std::wstring& text);
    // Chooses an item inside submenus: every text but the last names a submenu item of the
    // menu before it, the last the item to choose (texts compared as above). The menu is
    // cancelled when a text is missing, a middle text is not a submenu or the last one is.
    void chooseMenuPath(const std::vector<std::wstring>& path);
    void chooseMenuItemId(UINT id);
    // Closes the next popup menu without a choice.
    void cancelMenu();

    // Pumps messages until every queued answer was used or ms passed; true when all were.
    bool waitDone(DWORD ms);
    size_t pending() const { return plans_.size(); }
    const std::vector<Seen>& seen() const { return seen_; }
    std::wstring lastCaption() const;
    // The static texts of the last dialog, joined with "\n" (a message box's message).
    std::wstring lastText() const;
    std::vector<std::wstring> lastMenuItems() const;

private:
    enum class Action { PressButton, SaveAs, MenuText, MenuId, MenuCancel };
    struct Plan {
        Action action;
        int buttonId = 0;
        UINT menuId = 0;
        std::wstring text;              // the path a save dialog is given
        std::vector<std::wstring> path; // menu item texts, outermost first
        std::set<HWND> before;          // dialogs already open when the answer was queued
    };

    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD);
    void queue(Plan plan);
    void tick();
    bool answerDialogWindow(const Plan& plan);
    bool answerMenuWindow(const Plan& plan);
    static std::vector<int> keyPlaces(HMENU menu, const Plan& plan, std::vector<std::wstring>* chosenFrom);
    void finishPendingMenu();

    UINT_PTR timer_ = 0;
    bool busy_ = false;
    std::deque<Plan> plans_;
    std::vector<Seen> seen_;
    std::set<HWND> answeredDialogs_;
    HWND menuInFlight_ = nullptr; // a menu given keys, closed by force if it stays open
    int menuTicks_ = 0;
};

} // namespace TestSupport
