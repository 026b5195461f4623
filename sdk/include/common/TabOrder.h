// Moving the keyboard focus with Tab among the controls of a window that is not a dialog.
// A control that sees Tab asks its tab root with WM_NEXTDLGCTL (wParam 0 for the next
// control, 1 for the previous, lParam 0), the message a dialog's own keyboard handling uses,
// so the same control also works inside a dialog. The root answers by focusing
// NextTabStop. Containers that only group controls (a tool strip, a filter bar) carry
// WS_EX_CONTROLPARENT: their controls take part in the root's order, as in a dialog.
#pragma once
#include <windows.h>
#include <algorithm>
#include <utility>
#include <vector>

namespace Common {

// The window whose controls hwnd's Tab cycles through: the nearest ancestor that is not
// itself a control parent inside another window.
inline HWND TabRoot(HWND hwnd)
{
    HWND root = GetParent(hwnd);
    while (root && (GetWindowLongW(root, GWL_STYLE) & WS_CHILD) &&
           (GetWindowLongW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && GetParent(root))
        root = GetParent(root);
    return root;
}

// Sent by a control on Tab (backwards with Shift). Nothing happens without a root.
inline void RequestNextTabStop(HWND from, bool backwards)
{
    if (HWND root = TabRoot(from)) SendMessageW(root, WM_NEXTDLGCTL, backwards ? 1 : 0, 0);
}

namespace TabOrderDetail {
inline void collect(HWND parent, std::vector<HWND>& stops)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || !IsWindowEnabled(child)) continue;
        if (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)
            collect(child, stops);
        else if (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP)
            stops.push_back(child);
    }
}
} // namespace TabOrderDetail

// The visible, enabled WS_TABSTOP controls under root (inside control parents too), in
// reading order: line by line from the top, each line left to right. Controls whose heights
// overlap stand on one line, so an edit a few pixels lower than the buttons beside it still
// comes in its place. Reading order rather than creation order, because a bar that lays its
// buttons out from the right edge creates them in the opposite order to the one a person sees.
inline std::vector<HWND> TabStops(HWND root)
{
    std::vector<HWND> stops;
    if (!root) return stops;
    TabOrderDetail::collect(root, stops);
    std::vector<std::pair<RECT, HWND>> placed;
    for (HWND hwnd : stops) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        placed.push_back({r, hwnd});
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first.top < b.first.top; });
    stops.clear();
    for (size_t begin = 0; begin < placed.size();) {
        size_t end = begin + 1;
        LONG lineBottom = placed[begin].first.bottom;
        for (; end < placed.size() && placed[end].first.top < lineBottom; ++end)
            lineBottom = std::max(lineBottom, placed[end].first.bottom);
        std::stable_sort(placed.begin() + begin, placed.begin() + end,
                         [](const auto& a, const auto& b) { return a.first.left < b.first.left; });
        for (size_t i = begin; i < end; ++i) stops.push_back(placed[i].second);
        begin = end;
    }
    return stops;
}

// The stop after (or before) the one that holds from, wrapping round; the first (or last)
// stop when from is none of them; null when root has no stops.
inline HWND NextTabStop(HWND root, HWND from, bool backwards)
{
    std::vector<HWND> stops = TabStops(root);
    if (stops.empty()) return nullptr;
    int n = int(stops.size());
    for (int i = 0; i < n; ++i) {
        if (stops[i] == from || (from && IsChild(stops[i], from))) return stops[(i + (backwards ? n - 1 : 1)) % n];
    }
    return backwards ? stops.back() : stops.front();
}

} // namespace Common
