// The modal dialog of a numeric condition: "不低于" and "不高于" boxes in the column's unit.
// One box filled is that bound alone, both a range (介于, ends included, swapped when typed the
// wrong way round), neither removes the condition. A box that holds no number keeps the
// dialog open and says so.
#pragma once
#include "filter/NumericRange.h"
#include "ui/GdiObject.h"
#include "ui/ThemedForm.h"
#include <windows.h>

namespace ClosedFund {

class NumericConditionDialog {
public:
    enum { kLowId = 100, kHighId = 101, kHintId = 102 };

    NumericConditionDialog(const NumericColumn& column, const NumericRange& range) : column_(column), range_(range) {}
    NumericConditionDialog(const NumericConditionDialog&) = delete;
    NumericConditionDialog& operator=(const NumericConditionDialog&) = delete;
    ~NumericConditionDialog() = default;

    // Runs the dialog over parent, its right edge 20 pixels (at 96 dpi) left of anchorX and its
    // top as far below anchorY. IDOK with Range() set (empty: remove), IDCANCEL, or -1.
    INT_PTR DoModal(HWND parent, int anchorX, int anchorY);
    const NumericRange& Range() const { return range_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    INT_PTR HandleMessage(HWND hwnd, UINT msg, WPARAM wParam);
    void OnInitDialog(HWND hwnd);
    // False, with the hint turned into the complaint, when a box holds no number.
    bool ReadRange(HWND hwnd);

    const NumericColumn column_;
    NumericRange range_;
    int anchorX_ = 0, anchorY_ = 0;
    gdiobj::GdiObject<HFONT> font_;
    WGUI::ThemedForm form_; // the theme's colours, also when the theme changes while it is open
};

} // namespace ClosedFund
