// Reading what a window painted: its client area drawn into a 32-bit DIB section.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace TestSupport {

struct Capture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;       // top-down rows of 0x00RRGGBB
    COLORREF at(int x, int y) const; // as a COLORREF (0x00BBGGRR); CLR_INVALID outside
    // Number of pixels in the rectangle that differ from colour c.
    int countOther(const RECT& r, COLORREF c) const;
};

// The window's own painting, via WM_PRINTCLIENT (right even when hidden; no children).
Capture printClient(HWND hwnd);
// The window as the screen shows it, children included (visible, on-screen windows only).
Capture grabScreen(HWND hwnd);
// A rectangle of the screen itself (screen coordinates): every window there, popups included.
Capture grabScreenArea(const RECT& area);
// Saves a capture as PNG under the artifacts folder (CLIENT2_ARTIFACTS, else ./artifacts).
bool saveArtifact(const Capture& c, const std::wstring& name);
// Pumps the thread's messages for ms milliseconds.
void pumpMessages(DWORD ms);

} // namespace TestSupport
