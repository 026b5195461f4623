#include "grid/GeneralDataGrid.h"
#include "common/CallbackGuard.h"
#include "base/HostServices.h"
#include "data/CellReader.h"
#include "common/ComPtr.h"
#include <msxml2.h>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace ClosedFund {

using Common::XStringW;

// Rises red, falls green, until a theme says otherwise.
COLORREF GeneralDataGrid::s_zero = RGB(0, 0, 0);
COLORREF GeneralDataGrid::s_negative = RGB(0, 128, 0);
COLORREF GeneralDataGrid::s_positive = RGB(224, 0, 0);

namespace {

XComPtr<Host::IDataView> newView(Host::IDataViewEvent* sink)
{
    XComPtr<Host::IDataView> view = Host::createInstanceAs<Host::IDataView>("Data.DataView");
    if (view) view->setEventSink(sink);
    return view;
}

bool isFundColumn(const XStringW& name) { return name == L"aliascode" || name == L"code" || name == L"name"; }

} // namespace

GeneralDataGrid::~GeneralDataGrid()
{
    ReleaseWindow();
    for (Host::IDataView* view : {display_.get(), sorted_.get()}) {
        if (!view) continue;
        view->setEventSink(nullptr);
        view->setSource(nullptr);
    }
}

void GeneralDataGrid::SetDataSource(Host::IDataTable* table)
{
    if (!sorted_) sorted_ = newView(this);
    if (sorted_) sorted_->setSource(table);
    if (!display_) display_ = newView(this);
    if (display_ && sorted_) display_->setSource(sorted_.get());
    if (!sorter_ && sorted_) {
        sorter_ = Host::createInstanceAs<Host::IFieldSorter>("Data.FieldSorter");
        if (sorter_) sorted_->setSorter(sorter_.get());
    }
}

// A view has one sorter: the unsorted order holds it only while no column was sorted, so a
// sort by a column is never undone by it.
void GeneralDataGrid::SetUnsortedOrder(IXUnknown* sorter)
{
    unsortedOrder_ = sorter;
    if (sorted_ && !sortedByField_) sorted_->setSorter(sorter ? sorter : static_cast<IXUnknown*>(sorter_.get()));
}

// Without an unsorted order the field sorter stays, asked for no field: the table's order,
// as the grid was bound.
bool GeneralDataGrid::RestoreUnsortedOrder()
{
    if (!IsWindow() || !sorted_ || !display_ || !sorter_) return false;
    SaveSelection();
    int selected = GetCurrSel();
    int tableRow = selected >= 0 ? sorted_->getSourceIndex(display_->getSourceIndex(selected)) : -1;
    sorter_->setSortField(XStringW());
    sorter_->setSortOrder(0);
    if (Host::ISortPlaceholders* placeholders = HostServices::get().sortPlaceholders())
        placeholders->clearPlaceholders(sorter_.get());
    sortedByField_ = false;
    sortColumn_.clear();
    sortDescending_ = false;
    sorted_->setSorter(unsortedOrder_ ? unsortedOrder_.get() : static_cast<IXUnknown*>(sorter_.get()));
    sorted_->rebuild(0);
    if (!SelectTableRow(tableRow)) RestoreSelection(false);
    return true;
}

int GeneralDataGrid::SetHeaderText(const XStringW& header)
{
    formats_.clear();
    return ThemeDataGrid::SetHeaderText(header);
}

void GeneralDataGrid::ApplyTheme(Host::ITheme* theme)
{
    ThemeDataGrid::ApplyTheme(theme);
    if (!theme) return;
    for (auto& entry : formats_) entry.second->ReadColor(theme);
    theme->getColor("list_value_zero", s_zero);
    theme->getColor("list_value_negative", s_negative);
    theme->getColor("list_value_positive", s_positive);
    theme->getColor("list_highlight", highlight_);
}

ColumnFormat* GeneralDataGrid::FindColumnFormat(const Control::HeaderInfo2& column)
{
    auto it = formats_.find(column.name);
    if (it != formats_.end()) return it->second.get();
    Control::HeaderInfo2 withElement = column;
    if (!withElement.GetElement()) {
        // Both lookups hand over a reference each.
        auto items = Common::ComPtr<IXMLDOMNodeList>::adopt(GetHeaderItems());
        auto element = Common::ComPtr<IXMLDOMElement>::adopt(items ? GetHeader(items.get(), column.name) : nullptr);
        if (!element) return nullptr;
        withElement.SetElement(element.get());
    }
    auto format = std::make_unique<ColumnFormat>(withElement, theme_.get());
    ColumnFormat* raw = format.get();
    formats_[column.name] = std::move(format);
    return raw;
}

LRESULT GeneralDataGrid::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = ThemeDataGrid::WndProc(msg, wParam, lParam);
    NoteSelection(false);
    return result;
}

void GeneralDataGrid::NoteSelection(bool force)
{
    int row = GetCurrSel();
    if (!force && row == notedRow_) return;
    notedRow_ = row;
    notedCode_ = row >= 0 ? CodeOfRow(row) : XStringW();
}

int GeneralDataGrid::GetRowsCount() { return display_ ? display_->getRowCount() : 0; }

XStringW GeneralDataGrid::CodeOfRow(int row)
{
    if (!display_) return XStringW();
    int column = display_->getColumnIndex(L"code");
    if (column < 0 || !CellReader(display_.get()).readText(row, column, codeBuffer_)) return XStringW();
    return codeBuffer_;
}

void GeneralDataGrid::GetItemText(int row, Control::HeaderInfo2& column, XStringW& text)
{
    if (column.name == L"_index") {
        text = std::to_wstring(row + 1);
        return;
    }
    if (column.name == L"index_rank") {
        text = display_ ? std::to_wstring(1 + display_->getSourceIndex(row)) : XStringW();
        return;
    }
    XComPtr<Host::IDataRow> dataRow = display_ ? display_->getRow(row) : XComPtr<Host::IDataRow>();
    XComPtr<Host::IColumnItem> cell = dataRow ? dataRow->getItem(column.name) : XComPtr<Host::IColumnItem>();
    if (ColumnFormat* format = FindColumnFormat(column))
        text = format->Format(cell.get());
    else
        text = cell ? cell->getText() : XStringW();
}

COLORREF GeneralDataGrid::SignColor(const XStringW& text)
{
    if (text.empty() || text == L"--" || _wtof(text.c_str()) == 0.0) return s_zero;
    return text[0] == L'-' ? s_negative : s_positive;
}

void GeneralDataGrid::GetItemColor(int row, Control::HeaderInfo2& column, const XStringW& text, COLORREF& color)
{
    if (isFundColumn(column.name)) {
        if (!watchList_ && app_) watchList_ = app_->getModule("mod_ConcernFund").cast<Host::IConcernFundModule>();
        if (watchList_ && watchList_->isConcerned(CodeOfRow(row))) {
            color = highlight_;
            return;
        }
    }
    ColumnFormat* format = FindColumnFormat(column);
    if (!format) return;
    color = format->ColorKey().empty() ? SignColor(text) : format->Color();
}

bool GeneralDataGrid::sort(const XStringW& column, int descending)
{
    if (sorting_) return true;
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;
        ~Running() { flag = false; }
    } running(sorting_);
    if (column.empty()) return RestoreUnsortedOrder();
    if (!IsWindow()) return false;
    SaveSelection();
    ColumnFormat* format = FindColumnFormat(Control::HeaderInfo2(column));
    if (!format || !format->Sortable() || !display_ || !sorter_) return false;
    sorter_->setSortField(column);
    sorter_->setSortOrder(descending);
    // Without the host's placeholder service its own order stands: "--" cells sort as stored.
    if (Host::ISortPlaceholders* placeholders = HostServices::get().sortPlaceholders()) {
        placeholders->clearPlaceholders(sorter_.get());
        for (const XStringW& text : format->PlaceholderTexts())
            placeholders->addPlaceholder(sorter_.get(), column, text);
    }
    if (!sortedByField_) {
        sorted_->setSorter(sorter_.get());
        sortedByField_ = true;
    }
    sortColumn_ = column;
    sortDescending_ = descending != 0;
    int index = sorted_->getColumnIndex(column);
    if (index == -1) return true;
    XComPtr<Host::IColumnItem> field = sorted_->getColumn(index);
    if (!field) return true;
    if (field->getValueType() != format->DataType()) field->setValueType(format->DataType());
    int selected = GetCurrSel();
    int tableRow = selected >= 0 ? sorted_->getSourceIndex(display_->getSourceIndex(selected)) : -1;
    sorted_->rebuild(0);
    if (!SelectTableRow(tableRow)) RestoreSelection(false);
    return true;
}

// A sort changes only the order: the fund keeps its table row, and each view finds the row
// that shows it by position instead of comparing every code. The code check guards against
// a table refilled meanwhile; the caller then falls back to the search by code.
bool GeneralDataGrid::SelectTableRow(int tableRow)
{
    if (tableRow < 0 || savedCode_.empty() || !display_ || !sorted_) return false;
    int sortedRow = CellReader(sorted_.get()).findSourceRow(tableRow);
    int row = sortedRow < 0 ? -1 : CellReader(display_.get()).findSourceRow(sortedRow);
    if (row < 0 || CodeOfRow(row) != savedCode_) return false;
    SetCurrSel(row);
    Refresh(false, false);
    NoteSelection(true);
    return true;
}

void GeneralDataGrid::SaveSelection()
{
    int row = GetCurrSel();
    if (!display_ || row < 0) return;
    if (row == notedRow_ && !notedCode_.empty()) {
        savedCode_ = notedCode_;
        return;
    }
    int column = display_->getColumnIndex(L"code");
    if (column >= 0 && CellReader(display_.get()).readText(row, column, codeBuffer_)) savedCode_ = codeBuffer_;
}

// Compares the stored text where it lies: after a reload the whole list may be searched.
// A code stored as a number is compared as the text it reads as.
bool GeneralDataGrid::HoldsSavedCode(CellReader& cells, int row, int column)
{
    const wchar_t* chars = nullptr;
    size_t length = 0;
    if (cells.textView(row, column, chars, length))
        return length == savedCode_.size() && std::wmemcmp(chars, savedCode_.c_str(), length) == 0;
    return cells.readText(row, column, codeBuffer_) && codeBuffer_ == savedCode_;
}

void GeneralDataGrid::RestoreSelection(bool fallback)
{
    if (display_ && GetCurrSel() >= 0 && !savedCode_.empty()) {
        int column = display_->getColumnIndex(L"code");
        int count = column >= 0 ? display_->getRowCount() : 0;
        CellReader cells(display_.get());
        for (int row = 0; row < count; ++row) {
            if (HoldsSavedCode(cells, row, column)) {
                SetCurrSel(row);
                Refresh(false, false);
                NoteSelection(true);
                return;
            }
        }
    }
    if (fallback) Refresh(false, true);
    NoteSelection(true);
}

void GeneralDataGrid::OnViewChanging(Host::IDataView* view)
{
    Common::guardCallback(L"IDataViewEvent::OnViewChanging", [&] {
        if (view == sorted_.get()) {
            SaveSelection();
            cascade_ = display_ != nullptr;
            return;
        }
        if (view == display_.get() && !cascade_) SaveSelection();
    });
}

void GeneralDataGrid::OnViewChanged(Host::IDataView* view)
{
    Common::guardCallback(L"IDataViewEvent::OnViewChanged", [&] {
        if (view == sorted_.get() && cascade_) return; // the display view rebuilds next and restores then
        cascade_ = false;
        RestoreSelection(true);
    });
}

} // namespace ClosedFund
