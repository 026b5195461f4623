// Seeing and touching another process's windows as a person would: reading the texts its
// windows answer to WM_GETTEXT, finding windows by class and text, and giving them mouse
// clicks and keys as posted input messages. Every wait is bounded polling.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace Journey {

// Polls cond every 20 ms until it holds or ms passed; true when it held.
bool waitUntil(DWORD ms, const std::function<bool()>& cond);

// What the window answers to WM_GETTEXT (through the window's own procedure, also across
// processes); empty when it does not answer within a few seconds.
std::wstring textOf(HWND hwnd);
// The title the system keeps for the window (no message is sent).
std::wstring windowTitle(HWND hwnd);
std::wstring classOf(HWND hwnd);

std::vector<HWND> topLevelWindows(DWORD pid);
// Descendants of root whose class is cls (case-insensitive; empty for any).
std::vector<HWND> descendants(HWND root, const std::wstring& cls);
// The first descendant of class cls whose WM_GETTEXT answer is text; null when none.
HWND findDescendant(HWND root, const std::wstring& cls, const std::wstring& text);
// The first visible top-level window of the process with class cls, or null.
HWND findTopLevel(DWORD pid, const std::wstring& cls);

// The window's rectangle in screen coordinates; and whether inner lies wholly inside outer.
RECT screenRect(HWND hwnd);
RECT clientScreenRect(HWND hwnd);
bool contains(const RECT& outer, const RECT& inner);

// Mouse input at client coordinates: button down, a move, button up.
void click(HWND hwnd, int x, int y);
void clickCentre(HWND hwnd);
void rightClick(HWND hwnd, int x, int y);
// Presses a caption at (x, y) and lets it go at (toX, y), moving in steps as a hand does.
void drag(HWND hwnd, int x, int y, int toX);
void pressKey(HWND hwnd, WPARAM vk);
// One WM_CHAR per character, as typing gives them to an edit.
void typeText(HWND hwnd, const std::wstring& text);
// Replaces the text of an edit (WM_SETTEXT, marshalled across processes).
void setText(HWND hwnd, const std::wstring& text);

// An open popup menu of the process: waits at most ms for one, then chooses the item at
// place (1 for the first item that is not a separator) with the keys a person uses; with
// subPlace > 0 it opens that item's submenu and chooses the item there. False when no menu
// opened. (Menus cannot be read from another process under every system, so the caller
// names the place and checks what choosing it did.)
bool chooseFromMenu(DWORD pid, int place, int subPlace, DWORD ms);
// Closes whatever menus and dialogs of the process are still open (a failed step's leftovers).
void dismissPopups(DWORD pid);

// A grid's painted text, split into lines of cells.
struct GridText {
    std::vector<std::wstring> header;
    std::vector<std::vector<std::wstring>> rows;   // the painted rows, top to bottom
    std::wstring message;                          // a message line drawn over the rows, if any
    int column(const std::wstring& caption) const; // -1 when no such caption
    // The cells of one column in painted order.
    std::vector<std::wstring> columnCells(const std::wstring& caption) const;
};
GridText parseGridText(const std::wstring& text);
GridText readGrid(HWND grid);

} // namespace Journey
