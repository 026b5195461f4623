// A host data table shown in the themed grid: a sorted view over the table, a display view
// over the sorted view (its rows are the grid's rows), a field sorter for caption clicks,
// one cached ColumnFormat per column name, sign and watch-list colours, and the selected
// fund kept selected (by its code) across sorting and reloading.
#pragma once
#include "grid/ColumnFormat.h"
#include "grid/ThemeDataGrid.h"
#include "host/Modules.h"
#include <map>
#include <memory>

namespace ClosedFund {

class CellReader;

class GeneralDataGrid : public ThemeDataGrid, public Host::IDataViewEvent {
public:
    GeneralDataGrid() = default;
    GeneralDataGrid(const GeneralDataGrid&) = delete;
    GeneralDataGrid& operator=(const GeneralDataGrid&) = delete;
    ~GeneralDataGrid() override;

    // The first bind creates both views and the sorter; a later bind swaps the table only.
    void SetDataSource(Host::IDataTable* table);
    // Forgets every cached column format, then sets the header as the themed grid does.
    int SetHeaderText(const Common::XStringW& header) override;
    // The themed grid's theme, then the cached formats' colours, the value colours shared
    // by all grids and the watch-list highlight. Nothing for a null theme.
    void ApplyTheme(Host::ITheme* theme) override;

    // Every message of the window; afterwards the fund of the current row is noted.
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int GetRowsCount() override;
    void GetItemText(int row, Control::HeaderInfo2& column, Common::XStringW& text) override;
    void GetItemColor(int row, Control::HeaderInfo2& column, const Common::XStringW& text, COLORREF& color) override;
    // By the column, or with an empty name back to the table's own order (the unsorted
    // order's sorter first, as before any sort).
    bool sort(const Common::XStringW& column, int descending) override;

    // The grid's lifetime is its owner's: no counting.
    int addRef() override { return 1; }
    int release() override { return 1; }
    void OnViewChanging(Host::IDataView* view) override;
    void OnViewChanged(Host::IDataView* view) override;

    void SetApp(Host::IApp* app) { app_ = app; }
    Host::IApp* GetApp() const { return app_.get(); }
    Host::IDataView* SortedView() const { return sorted_.get(); }
    Host::IDataView* DisplayView() const { return display_.get(); }
    Host::IFieldSorter* Sorter() const { return sorter_.get(); }
    const Common::XStringW& SavedCode() const { return savedCode_; }
    // The column the rows are sorted by, empty in the table's own order, and its direction.
    const Common::XStringW& SortColumn() const { return sortColumn_; }
    bool SortDescending() const { return sortDescending_; }
    COLORREF HighlightColor() const { return highlight_; }

    // Colours of values by sign, shared by every grid of the module: the grid that applied
    // a theme last set them.
    static COLORREF ZeroColor() { return s_zero; }
    static COLORREF NegativeColor() { return s_negative; }
    static COLORREF PositiveColor() { return s_positive; }

    // The display row's fund code ("" when the row or the column is missing).
    Common::XStringW CodeOfRow(int row);

protected:
    // The column's cached format, built on first need from the column's element; a record
    // that names the column only is matched with the header document by name, so the export
    // formats cells as the screen does. Null when the header has no such column.
    ColumnFormat* FindColumnFormat(const Control::HeaderInfo2& column);
    // The order of the sorted view until the user first sorts by a column; the field sorter
    // takes its place then. Null keeps the table's order.
    void SetUnsortedOrder(IXUnknown* sorter);
    // The order before any sort by a column, again; the selected fund stays selected.
    bool RestoreUnsortedOrder();
    // The colour of a cell text by the sign of its value.
    static COLORREF SignColor(const Common::XStringW& text);
    void SaveSelection();
    // Notes the current row and its fund while the views agree with the table.
    void NoteSelection(bool force);
    // Selects the row of the saved code; without one, fallback refreshes as rows changed.
    void RestoreSelection(bool fallback);
    // True when the display view's row holds the saved code; cells reads the display view.
    bool HoldsSavedCode(CellReader& cells, int row, int column);
    // Selects the display row showing the table's row when it still holds the saved fund.
    bool SelectTableRow(int tableRow);

    XComPtr<Host::IApp> app_;

private:
    XComPtr<Host::IConcernFundModule> watchList_;
    XComPtr<Host::IDataView> sorted_;
    XComPtr<Host::IDataView> display_;
    XComPtr<Host::IFieldSorter> sorter_;
    bool sortedByField_ = false; // the field sorter is the sorted view's sorter
    XComPtr<IXUnknown> unsortedOrder_;
    Common::XStringW sortColumn_;
    bool sortDescending_ = false;
    std::map<Common::XStringW, std::unique_ptr<ColumnFormat>> formats_;
    COLORREF highlight_ = RGB(255, 128, 0);
    Common::XStringW savedCode_;
    bool sorting_ = false;
    // A rebuild of the sorted view runs on into the display view; until the display view has
    // rebuilt too, its rows still point into the old order and must not be read as the
    // selection.
    bool cascade_ = false;
    Common::XStringW codeBuffer_;
    // The current row and its fund as last seen while the views agreed with the table. A
    // refilled table rebuilds its views only after its rows were replaced, so at that moment
    // the current row's cells already belong to another fund; the noted code is the right one.
    int notedRow_ = -1;
    Common::XStringW notedCode_;

    static COLORREF s_zero, s_negative, s_positive;
};

} // namespace ClosedFund
