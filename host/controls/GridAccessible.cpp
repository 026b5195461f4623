#include "GridAccessible.h"
#include "common/CallbackGuard.h"
#include "controls/XDataGrid.h"

namespace Control {

namespace {

const HRESULT kGone = CO_E_OBJNOTCONNECTED;

bool hasFocus(XDataGrid* grid) { return GetFocus() == grid->GetHwnd(); }

// One row: its cells are child elements, numbered from 1 in the order the columns are
// shown. It holds the table, so the table outlives every row a client still has.
class RowAccessible : public AccessibleBase {
public:
    RowAccessible(GridAccessible* table, int row) : table_(Common::ComPtr<GridAccessible>::share(table)), row_(row) {}

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        return Common::guardCallback(L"IAccessible::get_accParent", E_FAIL, [&]() -> HRESULT {
            if (!parent) return E_POINTER;
            *parent = Common::ComPtr<GridAccessible>::share(table_.get()).detach();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        return Common::guardCallback(L"IAccessible::get_accChildCount", E_FAIL, [&]() -> HRESULT {
            if (!count) return E_POINTER;
            XDataGrid* grid = Grid();
            *count = grid ? grid->GetColumnCount() : 0;
            return grid ? S_OK : kGone;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        return Common::guardCallback(L"IAccessible::get_accChild", E_FAIL, [&]() -> HRESULT {
            if (!object) return E_POINTER;
            *object = nullptr;
            long id = 0;
            HRESULT hr = Cell(child, &id);
            return FAILED(hr) ? hr : S_FALSE; // cells are elements, not objects
        });
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return Common::guardCallback(L"IAccessible::get_accName", E_FAIL, [&]() -> HRESULT {
            long id = 0;
            HRESULT hr = Cell(child, &id);
            if (FAILED(hr)) return hr;
            Common::XStringW text = id == CHILDID_SELF ? table_->RowName(row_) : Grid()->GetCellText(row_, id - 1);
            return ReturnText(text.c_str(), text.size(), name);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        return Common::guardCallback(L"IAccessible::get_accDescription", E_FAIL, [&]() -> HRESULT {
            long id = 0;
            HRESULT hr = Cell(child, &id);
            if (FAILED(hr)) return hr;
            Common::XStringW title = id == CHILDID_SELF ? Common::XStringW() : Grid()->GetColumnTitle(id - 1);
            return ReturnText(title.c_str(), title.size(), description);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return Common::guardCallback(L"IAccessible::get_accRole", E_FAIL, [&]() -> HRESULT {
            long id = 0;
            HRESULT hr = Cell(child, &id);
            if (FAILED(hr)) return hr;
            SetChildId(role, id == CHILDID_SELF ? ROLE_SYSTEM_ROW : ROLE_SYSTEM_CELL);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return Common::guardCallback(L"IAccessible::get_accState", E_FAIL, [&]() -> HRESULT {
            long id = 0;
            HRESULT hr = Cell(child, &id);
            if (FAILED(hr)) return hr;
            long s = table_->RowState(row_);
            if (id != CHILDID_SELF) {
                RECT cell{}, body{};
                XDataGrid* grid = Grid();
                grid->GetCellRect(row_, id - 1, &cell);
                grid->GetClientRect(&body);
                // A cell shares its row's visibility, and is off screen when scrolled sideways.
                s = STATE_SYSTEM_READONLY | (s & (STATE_SYSTEM_OFFSCREEN | STATE_SYSTEM_INVISIBLE));
                if (cell.right <= body.left || cell.left >= body.right) s |= STATE_SYSTEM_OFFSCREEN;
            }
            SetChildId(state, s);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        return Common::guardCallback(L"IAccessible::get_accFocus", E_FAIL, [&]() -> HRESULT {
            if (!focus) return E_POINTER;
            SetEmpty(focus);
            return Grid() ? S_FALSE : kGone;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        return Common::guardCallback(L"IAccessible::get_accSelection", E_FAIL, [&]() -> HRESULT {
            if (!selection) return E_POINTER;
            SetEmpty(selection);
            return Grid() ? S_FALSE : kGone;
        });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        return Common::guardCallback(L"IAccessible::accSelect", E_FAIL, [&]() -> HRESULT {
            long id = 0;
            HRESULT hr = Cell(child, &id);
            if (FAILED(hr)) return hr;
            return id == CHILDID_SELF ? table_->Select(row_, flags) : E_INVALIDARG;
        });
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        return Common::guardCallback(L"IAccessible::accLocation", E_FAIL, [&]() -> HRESULT {
            long id = 0;
            HRESULT hr = Cell(child, &id);
            if (FAILED(hr)) return hr;
            RECT r{};
            bool found = id == CHILDID_SELF ? Grid()->GetRowRect(row_, &r) : Grid()->GetCellRect(row_, id - 1, &r);
            return found ? table_->Location(r, left, top, width, height) : E_INVALIDARG;
        });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return Common::guardCallback(L"IAccessible::accNavigate", E_FAIL, [&]() -> HRESULT {
            if (!end) return E_POINTER;
            SetEmpty(end);
            long id = 0;
            HRESULT hr = Cell(start, &id);
            if (FAILED(hr)) return hr;
            long columns = Grid()->GetColumnCount();
            if (id == CHILDID_SELF) return NavigateFromRow(direction, columns, end);
            long to = 0;
            switch (direction) {
            case NAVDIR_NEXT:
            case NAVDIR_RIGHT: to = id + 1; break;
            case NAVDIR_PREVIOUS:
            case NAVDIR_LEFT: to = id - 1; break;
            case NAVDIR_FIRSTCHILD:
            case NAVDIR_LASTCHILD: return E_INVALIDARG; // a cell has no children
            default: return S_FALSE;
            }
            if (to < 1 || to > columns) return S_FALSE;
            SetChildId(end, to);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override
    {
        return Common::guardCallback(L"IAccessible::accHitTest", E_FAIL, [&]() -> HRESULT {
            if (!child) return E_POINTER;
            SetEmpty(child);
            XDataGrid* grid = Grid();
            if (!grid) return kGone;
            POINT pt = {x, y};
            grid->ScreenToClient(&pt);
            RECT r{};
            if (!grid->GetRowRect(row_, &r) || !PtInRect(&r, pt)) return S_FALSE;
            for (int c = 0; c < grid->GetColumnCount(); ++c) {
                RECT cell{};
                if (grid->GetCellRect(row_, c, &cell) && pt.x >= cell.left && pt.x < cell.right) {
                    SetChildId(child, c + 1);
                    return S_OK;
                }
            }
            SetChildId(child, CHILDID_SELF);
            return S_OK;
        });
    }

private:
    ~RowAccessible() override = default;

    // The grid while this row still exists in it.
    XDataGrid* Grid() const
    {
        XDataGrid* grid = table_->Grid();
        return grid && row_ < grid->GetRowsCount() ? grid : nullptr;
    }
    HRESULT Cell(const VARIANT& child, long* id) const
    {
        XDataGrid* grid = Grid();
        return grid ? ChildId(child, grid->GetColumnCount(), id) : kGone;
    }
    HRESULT NavigateFromRow(long direction, long columns, VARIANT* end)
    {
        int to = -1;
        switch (direction) {
        case NAVDIR_FIRSTCHILD:
        case NAVDIR_LASTCHILD:
            if (columns == 0) return S_FALSE;
            SetChildId(end, direction == NAVDIR_FIRSTCHILD ? 1 : columns);
            return S_OK;
        case NAVDIR_NEXT:
        case NAVDIR_DOWN: to = row_ + 1; break;
        case NAVDIR_PREVIOUS:
        case NAVDIR_UP: to = row_ - 1; break;
        default: return S_FALSE;
        }
        IDispatch* row = table_->NewRow(to);
        if (!row) return S_FALSE;
        SetObject(end, row);
        return S_OK;
    }

    Common::ComPtr<GridAccessible> table_;
    int row_;
};

} // namespace

XDataGrid* GridAccessible::Grid() const { return grid_ && grid_->IsWindow() ? grid_ : nullptr; }

IDispatch* GridAccessible::NewRow(int row)
{
    if (!Grid() || row < 0 || row >= grid_->GetRowsCount()) return nullptr;
    return new RowAccessible(this, row);
}

long GridAccessible::RowState(int row) const
{
    long s = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_READONLY;
    if (!IsWindowVisible(grid_->GetHwnd())) s |= STATE_SYSTEM_INVISIBLE;
    if (!grid_->IsRowInView(row)) s |= STATE_SYSTEM_OFFSCREEN;
    if (row == grid_->GetCurrSel()) {
        s |= STATE_SYSTEM_SELECTED;
        if (hasFocus(grid_)) s |= STATE_SYSTEM_FOCUSED;
    }
    return s;
}

// The shown cells in their order, blank ones left out: what a reader says on reaching a row.
Common::XStringW GridAccessible::RowName(int row) const
{
    Common::XStringW name;
    for (int c = 0; c < grid_->GetColumnCount(); ++c) {
        Common::XStringW text = grid_->GetCellText(row, c);
        if (text.empty()) continue;
        if (!name.empty()) name += L' ';
        name += text;
    }
    return name;
}

// One current row: taking the selection moves it, taking the focus also focuses the grid.
HRESULT GridAccessible::Select(int row, long flags)
{
    if (flags & (SELFLAG_ADDSELECTION | SELFLAG_EXTENDSELECTION)) return E_INVALIDARG;
    if (flags & SELFLAG_TAKEFOCUS) grid_->SetFocus();
    if (flags & (SELFLAG_TAKESELECTION | SELFLAG_TAKEFOCUS)) grid_->SetCurrSel(row);
    if ((flags & SELFLAG_REMOVESELECTION) && grid_->GetCurrSel() == row) grid_->SetCurrSel(-1);
    return S_OK;
}

HRESULT GridAccessible::Location(const RECT& client, long* left, long* top, long* width, long* height) const
{
    if (!left || !top || !width || !height) return E_POINTER;
    POINT topLeft = {client.left, client.top};
    grid_->ClientToScreen(&topLeft);
    *left = topLeft.x;
    *top = topLeft.y;
    *width = client.right - client.left;
    *height = client.bottom - client.top;
    return S_OK;
}

HRESULT GridAccessible::get_accParent(IDispatch** parent)
{
    return Common::guardCallback(L"IAccessible::get_accParent", E_FAIL, [&]() -> HRESULT {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!Grid()) return kGone;
        // The window around the client area, as the system describes it.
        return AccessibleObjectFromWindow(grid_->GetHwnd(), DWORD(OBJID_WINDOW), IID_IDispatch,
                                          reinterpret_cast<void**>(parent));
    });
}

HRESULT GridAccessible::get_accChildCount(long* count)
{
    return Common::guardCallback(L"IAccessible::get_accChildCount", E_FAIL, [&]() -> HRESULT {
        if (!count) return E_POINTER;
        *count = Grid() ? grid_->GetRowsCount() : 0;
        return Grid() ? S_OK : kGone;
    });
}

HRESULT GridAccessible::get_accChild(VARIANT child, IDispatch** object)
{
    return Common::guardCallback(L"IAccessible::get_accChild", E_FAIL, [&]() -> HRESULT {
        if (!object) return E_POINTER;
        *object = nullptr;
        long id = 0;
        HRESULT hr = Grid() ? ChildId(child, grid_->GetRowsCount(), &id) : kGone;
        if (FAILED(hr)) return hr;
        if (id == CHILDID_SELF) return E_INVALIDARG;
        *object = NewRow(id - 1);
        return *object ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GridAccessible::get_accName(VARIANT child, BSTR* name)
{
    return Common::guardCallback(L"IAccessible::get_accName", E_FAIL, [&]() -> HRESULT {
        long id = 0;
        HRESULT hr = Grid() ? ChildId(child, grid_->GetRowsCount(), &id) : kGone;
        if (FAILED(hr)) return hr;
        Common::XStringW text = id == CHILDID_SELF ? grid_->GetAccessibleName() : RowName(id - 1);
        return ReturnText(text.c_str(), text.size(), name);
    });
}

HRESULT GridAccessible::get_accDescription(VARIANT child, BSTR* description)
{
    return Common::guardCallback(L"IAccessible::get_accDescription", E_FAIL, [&]() -> HRESULT {
        long id = 0;
        HRESULT hr = Grid() ? ChildId(child, grid_->GetRowsCount(), &id) : kGone;
        return FAILED(hr) ? hr : ReturnText(nullptr, 0, description);
    });
}

HRESULT GridAccessible::get_accRole(VARIANT child, VARIANT* role)
{
    return Common::guardCallback(L"IAccessible::get_accRole", E_FAIL, [&]() -> HRESULT {
        long id = 0;
        HRESULT hr = Grid() ? ChildId(child, grid_->GetRowsCount(), &id) : kGone;
        if (FAILED(hr)) return hr;
        SetChildId(role, id == CHILDID_SELF ? ROLE_SYSTEM_TABLE : ROLE_SYSTEM_ROW);
        return S_OK;
    });
}

HRESULT GridAccessible::get_accState(VARIANT child, VARIANT* state)
{
    return Common::guardCallback(L"IAccessible::get_accState", E_FAIL, [&]() -> HRESULT {
        long id = 0;
        HRESULT hr = Grid() ? ChildId(child, grid_->GetRowsCount(), &id) : kGone;
        if (FAILED(hr)) return hr;
        long s = 0;
        if (id != CHILDID_SELF)
            s = RowState(id - 1);
        else {
            s = STATE_SYSTEM_FOCUSABLE;
            if (!IsWindowVisible(grid_->GetHwnd())) s |= STATE_SYSTEM_INVISIBLE;
            if (hasFocus(grid_)) s |= STATE_SYSTEM_FOCUSED;
        }
        SetChildId(state, s);
        return S_OK;
    });
}

// The focused row while the grid has the focus and a current row; the grid itself while
// it has the focus without one.
HRESULT GridAccessible::get_accFocus(VARIANT* focus)
{
    return Common::guardCallback(L"IAccessible::get_accFocus", E_FAIL, [&]() -> HRESULT {
        if (!focus) return E_POINTER;
        SetEmpty(focus);
        if (!Grid()) return kGone;
        if (!hasFocus(grid_)) return S_FALSE;
        IDispatch* row = NewRow(grid_->GetCurrSel());
        if (row)
            SetObject(focus, row);
        else
            SetChildId(focus, CHILDID_SELF);
        return S_OK;
    });
}

HRESULT GridAccessible::get_accSelection(VARIANT* selection)
{
    return Common::guardCallback(L"IAccessible::get_accSelection", E_FAIL, [&]() -> HRESULT {
        if (!selection) return E_POINTER;
        SetEmpty(selection);
        if (!Grid()) return kGone;
        IDispatch* row = NewRow(grid_->GetCurrSel());
        if (!row) return S_FALSE;
        SetObject(selection, row);
        return S_OK;
    });
}

HRESULT GridAccessible::accSelect(long flags, VARIANT child)
{
    return Common::guardCallback(L"IAccessible::accSelect", E_FAIL, [&]() -> HRESULT {
        long id = 0;
        HRESULT hr = Grid() ? ChildId(child, grid_->GetRowsCount(), &id) : kGone;
        if (FAILED(hr)) return hr;
        if (id != CHILDID_SELF) return Select(id - 1, flags);
        if (flags != SELFLAG_TAKEFOCUS) return E_INVALIDARG;
        grid_->SetFocus();
        return S_OK;
    });
}

HRESULT GridAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child)
{
    return Common::guardCallback(L"IAccessible::accLocation", E_FAIL, [&]() -> HRESULT {
        long id = 0;
        HRESULT hr = Grid() ? ChildId(child, grid_->GetRowsCount(), &id) : kGone;
        if (FAILED(hr)) return hr;
        RECT r{};
        if (id == CHILDID_SELF)
            grid_->GetClientRect(&r);
        else
            grid_->GetRowRect(id - 1, &r);
        return Location(r, left, top, width, height);
    });
}

HRESULT GridAccessible::accNavigate(long direction, VARIANT start, VARIANT* end)
{
    return Common::guardCallback(L"IAccessible::accNavigate", E_FAIL, [&]() -> HRESULT {
        if (!end) return E_POINTER;
        SetEmpty(end);
        long id = 0;
        HRESULT hr = Grid() ? ChildId(start, grid_->GetRowsCount(), &id) : kGone;
        if (FAILED(hr)) return hr;
        int rows = grid_->GetRowsCount();
        int to = -1;
        switch (direction) {
        case NAVDIR_FIRSTCHILD:
        case NAVDIR_LASTCHILD:
            if (id != CHILDID_SELF) return E_INVALIDARG;
            to = direction == NAVDIR_FIRSTCHILD ? 0 : rows - 1;
            break;
        case NAVDIR_NEXT:
        case NAVDIR_DOWN:
            if (id == CHILDID_SELF) return S_FALSE; // the grid's siblings are the window's business
            to = id;
            break;
        case NAVDIR_PREVIOUS:
        case NAVDIR_UP:
            if (id == CHILDID_SELF) return S_FALSE;
            to = id - 2;
            break;
        default: return S_FALSE;
        }
        IDispatch* row = NewRow(to);
        if (!row) return S_FALSE;
        SetObject(end, row);
        return S_OK;
    });
}

HRESULT GridAccessible::accHitTest(long x, long y, VARIANT* child)
{
    return Common::guardCallback(L"IAccessible::accHitTest", E_FAIL, [&]() -> HRESULT {
        if (!child) return E_POINTER;
        SetEmpty(child);
        if (!Grid()) return kGone;
        POINT pt = {x, y};
        grid_->ScreenToClient(&pt);
        RECT client{};
        grid_->GetClientRect(&client);
        if (!PtInRect(&client, pt)) return S_FALSE;
        int row = -1, column = -1;
        if (grid_->HitTest(pt.x, pt.y, row, column) == XDataGrid::HitCell) {
            if (IDispatch* object = NewRow(row)) {
                SetObject(child, object);
                return S_OK;
            }
        }
        SetChildId(child, CHILDID_SELF);
        return S_OK;
    });
}

} // namespace Control
