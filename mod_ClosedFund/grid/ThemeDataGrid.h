// The host grid control dressed in the client's colour theme: control colours, header font,
// grid lines and row heights read by key from the theme, alternating and selected row
// backgrounds, and the header's font roles resolved to the theme's fonts.
#pragma once
#include "controls/DataGridEx.h"
#include "host/Theme.h"

namespace ClosedFund {

class ThemeDataGrid : public Control::DataGridEx {
public:
    // What a theme's zero row height stands for.
    static const int kDefaultRowHeight = 23;

    ThemeDataGrid() = default;

    // Nothing happens for a null theme; otherwise every control colour, the header font, the
    // grid lines and both heights are set from it and the grid repaints.
    virtual void ApplyTheme(Host::ITheme* theme);
    // Resolves the font roles and hands the text to the control; without a theme (or when
    // the resolved text does not parse) the text goes as it is, in the control's own font.
    // The control's result: 0 when the text does not parse, the previous header then kept.
    virtual int SetHeaderText(const Common::XStringW& header);

    // Rows alternate: the first line (index 0) takes the odd-line colour, the second the
    // even-line colour; a selected row the selected-row colour.
    void GetRowBkColor(int row, BOOL selected, COLORREF& color) override;

    Host::ITheme* GetTheme() const { return theme_.get(); }
    COLORREF EvenLineColor() const { return evenLine_; }
    COLORREF OddLineColor() const { return oddLine_; }
    COLORREF SelectedColor() const { return selected_; }

protected:
    XComPtr<Host::ITheme> theme_;

private:
    void ApplyControlColors(Host::ITheme* theme);
    void ApplyMetrics(Host::ITheme* theme);

    // Until a theme arrives the rows look as the control's own defaults.
    COLORREF evenLine_ = RGB(255, 255, 255);
    COLORREF oddLine_ = RGB(255, 255, 255);
    COLORREF selected_ = RGB(51, 153, 255);
};

} // namespace ClosedFund
