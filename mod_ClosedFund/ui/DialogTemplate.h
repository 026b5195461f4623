// An in-memory dialog template for dialogs whose controls are made in pixels at
// WM_INITDIALOG: a caption, no menu, no controls, sized to hold the client area.
#pragma once
#include <windows.h>

namespace WGUI {

// Runs the dialog modally over parent with proc and param; -1 when it cannot be built.
INT_PTR DialogBoxInPixels(HINSTANCE instance, HWND parent, const wchar_t* title, int clientWidth, int clientHeight,
                          DLGPROC proc, LPARAM param);

// Sizes the dialog's frame around a client area of the given size, placed at (x, y).
void PlaceDialog(HWND dialog, int x, int y, int clientWidth, int clientHeight);

} // namespace WGUI
