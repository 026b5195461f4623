#include "filter/ColumnTexts.h"
#include "data/FundTable.h"
#include <string>
#include <unordered_map>
#include <utility>

namespace ClosedFund {

struct RememberedColumn {
    // Held, so that no other table can take its address while its texts are remembered.
    XComPtr<Host::IDataContainer> table;
    int column = -1;
    unsigned generation = 0;
    std::vector<int> numbers; // per table row: a text's number, kNoCell or kUnread
    std::vector<XStringW> texts;
    std::unordered_map<std::wstring, int> numberOf;
};

namespace {

enum { kUnread = -2 };
// A chain of views deeper than this is not followed (the grid's filters see one view).
const size_t kMostViews = 8;
// Columns remembered at once: the filter bar's value columns of one table.
const size_t kMostColumns = 4;

// The process's remembered columns, latest first. Never destroyed: the tables they hold are
// not released from the library's exit code, when the host may be gone.
std::vector<std::shared_ptr<RememberedColumn>>& rememberedColumns()
{
    static auto* columns = new std::vector<std::shared_ptr<RememberedColumn>>;
    return *columns;
}

// The remembered column of table, read afresh when the fund rows moved on or its row count
// changed; columns of refills before are let go.
std::shared_ptr<RememberedColumn> rememberedColumn(const XComPtr<Host::IDataContainer>& table, int column)
{
    auto& columns = rememberedColumns();
    unsigned generation = fundRowsGeneration();
    int rows = table->getRowCount();
    size_t size = size_t(rows > 0 ? rows : 0);
    std::shared_ptr<RememberedColumn> found;
    for (auto it = columns.begin(); it != columns.end();) {
        RememberedColumn& c = **it;
        if (c.generation != generation) {
            it = columns.erase(it);
            continue;
        }
        if (c.table == table && c.column == column && c.numbers.size() == size) {
            found = *it;
            it = columns.erase(it);
            continue;
        }
        ++it;
    }
    if (!found) {
        found = std::make_shared<RememberedColumn>();
        found->table = table;
        found->column = column;
        found->generation = generation;
        found->numbers.assign(size, int(kUnread));
    }
    columns.insert(columns.begin(), found);
    if (columns.size() > kMostColumns) columns.resize(kMostColumns);
    return found;
}

int readTableRow(RememberedColumn& c, int tableRow)
{
    XComPtr<Host::IDataRow> row = c.table->getRow(tableRow);
    XComPtr<Host::IColumnItem> cell = row ? row->getItemAt(c.column) : XComPtr<Host::IColumnItem>();
    if (!cell) return ColumnTexts::kNoCell;
    XStringW text = cell->getText();
    auto found = c.numberOf.find(text);
    if (found != c.numberOf.end()) return found->second;
    int number = int(c.texts.size());
    c.numberOf.emplace(text, number);
    c.texts.push_back(std::move(text));
    return number;
}

} // namespace

ColumnTexts::~ColumnTexts() = default;

void ColumnTexts::endPass()
{
    views_.clear();
    column_.reset();
}

bool ColumnTexts::beginPass(Host::IDataContainer* container, const XStringW& column)
{
    endPass();
    // A view is told from a table by the contract's own view interface.
    std::vector<XComPtr<Host::IDataView>> views;
    XComPtr<Host::IDataContainer> base(container);
    while (base) {
        XComPtr<Host::IDataView> view = base.cast<Host::IDataView>();
        if (!view) break;
        if (views.size() == kMostViews) return false;
        views.push_back(view);
        base = view->getSource();
    }
    int index = base ? base->getColumnIndex(column) : -1;
    if (index < 0) return false;
    column_ = rememberedColumn(base, index);
    views_ = std::move(views);
    return true;
}

int ColumnTexts::textNumber(int row)
{
    for (const XComPtr<Host::IDataView>& view : views_) {
        if (row < 0) return kNoCell;
        row = view->getSourceIndex(row);
    }
    if (row < 0 || size_t(row) >= column_->numbers.size()) return kNoCell;
    int& number = column_->numbers[size_t(row)];
    if (number == kUnread) number = readTableRow(*column_, row);
    return number;
}

const std::vector<XStringW>& ColumnTexts::texts() const { return column_->texts; }

} // namespace ClosedFund
