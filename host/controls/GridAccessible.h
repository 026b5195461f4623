// The grid as assistive technology reads it: a table whose children are the rows (child id
// row + 1, the numbering of the grid's focus and selection events), each row an object of
// its own whose child elements are the cells shown (child id column + 1). A cell's name is
// the text the grid paints and its description the column's caption; the current row is
// selected, and focused while the grid has the keyboard focus. Rows are named by position:
// after a sort the same child id is whatever row now stands there, as in any list.
#pragma once
#include "AccessibleBase.h"
#include "common/XString.h"

namespace Control {

class XDataGrid;

class GridAccessible : public AccessibleBase {
public:
    explicit GridAccessible(XDataGrid* grid) : grid_(grid) {}
    // The grid is going: every later call answers that the object is gone.
    void Disconnect() { grid_ = nullptr; }
    // The grid, or null once it went (or its window did).
    XDataGrid* Grid() const;

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;

    // What rows share with the table that holds them.
    long RowState(int row) const;
    Common::XStringW RowName(int row) const;
    HRESULT Select(int row, long flags);
    // A new row object (one reference) for a row that exists, else null.
    IDispatch* NewRow(int row);
    // A client rectangle as accLocation gives it, in screen coordinates.
    HRESULT Location(const RECT& client, long* left, long* top, long* width, long* height) const;

private:
    XDataGrid* grid_;
};

} // namespace Control
