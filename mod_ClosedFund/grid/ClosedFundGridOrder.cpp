// The order of the closed-fund grid's rows: a caption click sorts and is kept in the user
// configuration, the "排序" caption puts the rows back in the table's own order, and the kept
// order comes back at the next start.
#include "grid/ClosedFundGrid.h"
#include "base/ModuleLog.h"
#include "host/Kernel.h"

namespace ClosedFund {

using Common::XStringW;

const char* const kSortOrderKey = "/Client2/UserConfig/mod_ClosedFund/Sort_Order";

namespace {
const wchar_t kRankColumn[] = L"index_rank";
// Where the person is told a change was not saved.
const wchar_t kSortSetting[] = L"排序方式";
const wchar_t kAscending[] = L"asc";
const wchar_t kDescending[] = L"desc";
} // namespace

bool closedFundGrid::sort(const XStringW& column, int descending)
{
    // The first click of a restore that the control turns the other way: its arrow turns,
    // the rows wait for the second click (RestoreSavedSort).
    if (restoringDirection_ >= 0 && (descending != 0) != (restoringDirection_ != 0)) return true;
    XStringW wanted = column == kRankColumn ? XStringW() : column;
    if (!GeneralDataGrid::sort(wanted, descending)) return false;
    // A person who sorts before the kept order could be restored has chosen anew.
    sortRestored_ = true;
    StoreSortOrder();
    return true;
}

// An unchanged order is not written again: each write replaces the whole user file.
void closedFundGrid::StoreSortOrder()
{
    XComPtr<Host::IConfManager> conf = UserConf();
    if (!conf) return;
    XComPtr<Host::IConfKey> key = conf->getKey(kSortOrderKey);
    if (SortColumn().empty()) {
        if (!key) return;
        if (conf->deleteKey(kSortOrderKey))
            saveNotice_.saved(kSortSetting);
        else
            ReportSaveFailure(kSortSetting, conf.get());
        return;
    }
    XStringW text = SortColumn() + L"," + (SortDescending() ? kDescending : kAscending);
    XComPtr<Host::IConfValue> stored = key ? key->getValue() : XComPtr<Host::IConfValue>();
    if (stored && stored->getString() == text) return;
    if (!key) key = conf->createKey(kSortOrderKey);
    if (key && StoreText(key.get(), text))
        saveNotice_.saved(kSortSetting);
    else
        ReportSaveFailure(kSortSetting, conf.get());
}

bool closedFundGrid::ReadSortOrder(XStringW& column, bool& descending)
{
    XComPtr<Host::IConfManager> conf = UserConf();
    XComPtr<Host::IConfKey> key = conf ? conf->getKey(kSortOrderKey) : XComPtr<Host::IConfKey>();
    XComPtr<Host::IConfValue> value = key ? key->getValue() : XComPtr<Host::IConfValue>();
    if (!value) return false;
    XStringW text = value->getString();
    size_t comma = text.rfind(L',');
    XStringW direction = comma == XStringW::npos ? XStringW() : text.substr(comma + 1);
    column = comma == XStringW::npos ? XStringW() : text.substr(0, comma);
    if (column.empty() || (direction != kAscending && direction != kDescending)) {
        logWarning(
            (L"closed-fund grid: the kept sort order \"" + text + L"\" cannot be read; the table's own order is shown")
                .c_str());
        return false;
    }
    descending = direction == kDescending;
    return true;
}

void closedFundGrid::RestoreSavedSort()
{
    if (sortRestored_ || !IsWindow() || GetColumnCount() == 0 || GetRowsCount() == 0) return;
    sortRestored_ = true;
    XStringW column;
    bool descending = false;
    if (!ReadSortOrder(column, descending)) return;
    int shown = -1;
    for (int c = 0; c < GetColumnCount() && shown < 0; ++c)
        if (GetColumnInfo(c)->name == column) shown = c;
    ColumnFormat* format = shown < 0 ? nullptr : FindColumnFormat(Control::HeaderInfo2(column));
    if (!format || !format->Sortable()) {
        logWarning((L"closed-fund grid: the kept sort column \"" + column +
                    L"\" is not a shown column that sorts; the table's own order is shown")
                       .c_str());
        return;
    }
    restoringDirection_ = descending ? 1 : 0;
    SortByColumn(shown);
    if (SortColumn() != column) SortByColumn(shown);
    restoringDirection_ = -1;
}

} // namespace ClosedFund
