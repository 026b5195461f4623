// The kernel's views and sorters: filters applied in turn, views following their sources with
// their sinks told, update brackets, and the sort order the grid relies on; the services that
// read cells fast and place stored placeholders, on the kernel's objects and on others.
#include "ext/DataAccess.h"
#include "hostapi/DataHost.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>
#include <cwchar>
#include <string>
#include <vector>

using namespace Host;

namespace {

// Test-side components handed to the real view, counted like any host component.
template <class Base>
class Counted : public Base {
public:
    int addRef() override { return ++refs_; }
    int release() override
    {
        int n = --refs_;
        if (n == 0) delete this;
        return n;
    }
    virtual ~Counted() = default;
private:
    int refs_ = 1;
};

// Keeps rows whose "n" cell is divisible by `divisor`; records the counts it was given.
// (Host:: spelled out: the Windows headers have an IDataFilter of their own.)
class DivisibleFilter : public Counted<Host::IDataFilter> {
public:
    explicit DivisibleFilter(int divisor) : divisor_(divisor) {}
    void filterRows(IDataContainer* c, int* rows, int* count) override
    {
        seen.push_back(*count);
        int column = c->getColumnIndex(L"n");
        int kept = 0;
        for (int i = 0; i < *count; ++i)
            if (c->getRow(rows[i])->getItemAt(column)->getInt() % divisor_ == 0) rows[kept++] = rows[i];
        *count = kept;
    }
    std::vector<int> seen;
private:
    int divisor_;
};

class RecordingSink : public Counted<IDataViewEvent> {
public:
    RecordingSink(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}
    void OnViewChanging(IDataView* v) override { log_.push_back(name_ + "-" + std::to_string(v->getRowCount())); }
    void OnViewChanged(IDataView* v) override { log_.push_back(name_ + "+" + std::to_string(v->getRowCount())); }
private:
    std::vector<std::string>& log_;
    std::string name_;
};

// A table with a text column "t" holding the given texts and an integer column "n" = 0, 1, ...
XComPtr<IDataTableHost> tableOf(const std::vector<std::wstring>& texts, bool commit = true)
{
    XComPtr<IDataTableHost> table = createHostTable();
    int t = table->addColumn(L"t", VALUE_TEXT);
    int n = table->addColumn(L"n", VALUE_INT);
    for (size_t i = 0; i < texts.size(); ++i) {
        int row = table->appendRow();
        if (texts[i] != L"<null>") table->setTextAt(row, t, texts[i].c_str(), texts[i].size());
        table->setInt64(row, n, int64_t(i));
    }
    if (commit) table->commitFill();
    return table;
}

XComPtr<IDataViewHost> viewOver(IDataContainer* source)
{
    XComPtr<IDataViewHost> view = createHostView();
    view->setSource(source);
    return view;
}

std::vector<std::wstring> column(IDataContainer* c, const wchar_t* name)
{
    std::vector<std::wstring> out;
    for (int i = 0; i < c->getRowCount(); ++i) out.push_back(c->getRow(i)->getItem(name)->getText());
    return out;
}

using Texts = std::vector<std::wstring>;

// Containers and sorters of the caller's own making, with the client's interface and
// nothing more: the host's services must tell them from its own.
class ForeignCell : public Counted<IColumnItem> {
public:
    explicit ForeignCell(std::wstring text) : text_(std::move(text)) {}
    int getValueType() override { return VALUE_TEXT; }
    void setValueType(int) override {}
    XStringW getText() override { return text_; }
    double getDouble() override { return wcstod(text_.c_str(), nullptr); }
    int getInt() override { return int(getDouble()); }
    bool isNull() override { return false; }
    void setText(const XStringW& text) override { text_ = text; }
private:
    std::wstring text_;
};

class ForeignRow : public Counted<IDataRow> {
public:
    explicit ForeignRow(std::wstring text) : text_(std::move(text)) {}
    XComPtr<IColumnItem> getItem(const XStringW& name) override { return name == L"t" ? getItemAt(0) : nullptr; }
    XComPtr<IColumnItem> getItemAt(int column) override
    {
        return column == 0 ? XComPtr<IColumnItem>::adopt(new ForeignCell(text_)) : nullptr;
    }
private:
    std::wstring text_;
};

// One text column "t".
class ForeignContainer : public Counted<IDataContainer> {
public:
    explicit ForeignContainer(Texts texts) : texts_(std::move(texts)) {}
    XComPtr<IDataRow> getRow(int index) override
    {
        if (index < 0 || index >= getRowCount()) return nullptr;
        return XComPtr<IDataRow>::adopt(new ForeignRow(texts_[size_t(index)]));
    }
    int getRowCount() override { return int(texts_.size()); }
    XComPtr<IColumnItem> getColumn(int index) override
    {
        return index == 0 ? XComPtr<IColumnItem>::adopt(new ForeignCell(L"t")) : nullptr;
    }
    int getColumnIndex(const XStringW& name) override { return name == L"t" ? 0 : -1; }
private:
    Texts texts_;
};

class ForeignSorter : public Counted<IFieldSorter> {
public:
    void setSortField(const XStringW&) override {}
    void setSortOrder(int) override {}
};

// How many cells, of every row and column and one past each end, the fast reads give
// otherwise than the container's own rows and cells do.
int readsThatDiffer(IDataContainer* c, ICellAccess* cells, int columns)
{
    int differ = 0;
    XStringW text;
    for (int row = -1; row <= c->getRowCount(); ++row) {
        for (int column = -1; column <= columns; ++column) {
            XComPtr<IDataRow> r = c->getRow(row);
            XComPtr<IColumnItem> cell = r ? r->getItemAt(column) : nullptr;
            text = L"stale";
            bool read = cells->readTextAt(row, column, text);
            if (read != bool(cell) || text != (cell ? cell->getText() : XStringW())) ++differ;
            double real = -1;
            bool hasReal = cells->readRealAt(row, column, real);
            bool expected = cell && !cell->isNull();
            if (hasReal != expected || real != (expected ? cell->getDouble() : 0.0)) ++differ;
        }
    }
    return differ;
}

} // namespace

TEST(DataLibraryView, FiltersRunInTurnAndFollowRefillsThroughTwoViews)
{
    XComPtr<IDataTableHost> table = tableOf(Texts(12, L"x"));
    XComPtr<IDataViewHost> sorted = viewOver(table.get());
    XComPtr<IDataViewHost> display = viewOver(sorted.get());
    std::vector<std::string> log;
    XComPtr<IDataViewEvent> sortedSink = XComPtr<IDataViewEvent>::adopt(new RecordingSink(log, "sorted"));
    XComPtr<IDataViewEvent> displaySink = XComPtr<IDataViewEvent>::adopt(new RecordingSink(log, "display"));
    sorted->setEventSink(sortedSink.get());
    display->setEventSink(displaySink.get());
    EXPECT_EQ(display->getRowCount(), 12);

    XComPtr<DivisibleFilter> even = XComPtr<DivisibleFilter>::adopt(new DivisibleFilter(2));
    XComPtr<DivisibleFilter> third = XComPtr<DivisibleFilter>::adopt(new DivisibleFilter(3));
    sorted->addFilter(even.get());
    display->addFilter(third.get());
    // The second view sees the first one's rows; it keeps 0, 6 (sorted rows 0 and 3).
    EXPECT_EQ(column(display.get(), L"n"), (Texts{L"0", L"6"}));
    EXPECT_EQ(display->getSourceIndex(1), 3);
    EXPECT_EQ(display->getSourceIndex(2), -1);
    EXPECT_EQ(display->getRow(1).cast<IDataRowHost>()->getIndex(), 6);
    // Reading a cell's text in place maps through both views like getRow does.
    XStringW text = L"stale";
    EXPECT_TRUE(display->readTextAt(1, 1, text));
    EXPECT_EQ(text, L"6");
    EXPECT_FALSE(display->readTextAt(2, 1, text));
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(table->readTextAt(0, 9, text));

    // Two filters on one view compact one array in turn: the second gets what the first kept.
    XComPtr<DivisibleFilter> alsoThird = XComPtr<DivisibleFilter>::adopt(new DivisibleFilter(3));
    sorted->addFilter(alsoThird.get());
    EXPECT_EQ(alsoThird->seen, (std::vector<int>{6}));
    EXPECT_EQ(column(sorted.get(), L"n"), (Texts{L"0", L"6"}));

    // A refill rebuilds both views, each telling its sink before and after, the source first.
    log.clear();
    table->clearRows();
    for (int i = 0; i < 20; ++i) table->setInt64(table->appendRow(), 1, i);
    table->commitFill();
    EXPECT_EQ(log, (std::vector<std::string>{"sorted-2", "sorted+4", "display-2", "display+4"}));
    EXPECT_EQ(column(display.get(), L"n"), (Texts{L"0", L"6", L"12", L"18"}));

    sorted->removeFilter(alsoThird.get());
    sorted->removeFilter(even.get());
    EXPECT_EQ(sorted->getRowCount(), 20);
    EXPECT_EQ(display->getRowCount(), 7); // 0, 3, ... 18 by its own filter

    // A view refuses a source built on itself; one with no source has no rows.
    sorted->setSource(display.get());
    EXPECT_EQ(sorted->getSource().get(), static_cast<IDataContainer*>(table.get()));
    XComPtr<IDataView> lone = createInstanceAs<IDataView>("Data.DataView");
    EXPECT_EQ(lone->getRowCount(), 0);
    EXPECT_FALSE(lone->getRow(0));
    sorted->setEventSink(nullptr);
    display->setEventSink(nullptr);
}

TEST(DataLibraryView, UpdateBracketsDeferOneRebuild)
{
    XComPtr<IDataTableHost> table = tableOf(Texts(4, L"a"));
    XComPtr<IDataViewHost> view = viewOver(table.get());
    std::vector<std::string> log;
    XComPtr<IDataViewEvent> sink = XComPtr<IDataViewEvent>::adopt(new RecordingSink(log, "v"));
    view->setEventSink(sink.get());

    // Fill and cell writes inside nested table brackets reach the view once, at the end.
    {
        XComPtr<IUpdateContext> outer = table->beginUpdate();
        XComPtr<IUpdateContext> inner = table->beginUpdate();
        table->appendRow();
        table->commitFill();
        for (int i = 0; i < 5; ++i) table->getRow(i)->getItem(L"t")->setText(L"b");
        inner->endUpdate();
        inner->endUpdate(); // a second close of the same bracket is ignored
        EXPECT_TRUE(log.empty());
        EXPECT_EQ(view->getRowCount(), 4);
        // The outer bracket is never closed explicitly: its last release closes it.
    }
    EXPECT_EQ(log, (std::vector<std::string>{"v-4", "v+5"}));

    // Filter changes and explicit rebuilds inside a view bracket: one rebuild when it closes.
    log.clear();
    XComPtr<Host::IDataFilter> f = XComPtr<Host::IDataFilter>::adopt(new DivisibleFilter(2));
    XComPtr<IUpdateContext> bracket = view->beginUpdate();
    view->addFilter(f.get());
    view->rebuild(1);
    view->rebuild(0);
    EXPECT_TRUE(log.empty());
    bracket->endUpdate();
    EXPECT_EQ(log, (std::vector<std::string>{"v-5", "v+3"}));

    // Cell writes outside a bracket do not rebuild; rebuild(0) is silent.
    log.clear();
    table->getRow(0)->getItem(L"t")->setText(L"c");
    view->rebuild(0);
    EXPECT_TRUE(log.empty());
    view->setEventSink(nullptr);
}

TEST(DataLibrarySort, StableNumericAwareGb2312OrderWithEmptiesLast)
{
    XComPtr<IDataTableHost> table = tableOf(
        {L"12.50%", L"张三", L"--", L"-3.4", L"阿", L"<null>", L"9%", L"北京", L"12.5", L"  ", L"中国", L"李", L"100"});
    XComPtr<IDataViewHost> view = viewOver(table.get());
    XComPtr<IFieldSorterHost> sorter = createInstance("Data.FieldSorter").cast<IFieldSorterHost>();
    ASSERT_TRUE(sorter);
    sorter->setSortField(L"t");
    view->setSorter(sorter.get());
    // Numbers by value (equal values keep their order), then Chinese in pinyin order, then empties.
    EXPECT_EQ(column(view.get(), L"n"),
              (Texts{L"3", L"6", L"0", L"8", L"12", L"4", L"7", L"11", L"1", L"10", L"2", L"5", L"9"}));
    sorter->setSortOrder(1);
    view->rebuild(0);
    EXPECT_EQ(column(view.get(), L"n"),
              (Texts{L"10", L"1", L"11", L"7", L"4", L"12", L"0", L"8", L"6", L"3", L"2", L"5", L"9"}));

    // An integer column sorts by number, not text: 10 after 9.
    sorter->setSortField(L"n");
    view->rebuild(0);
    EXPECT_EQ(column(view.get(), L"n").front(), L"12");

    // Dates (expiry, creation) sort by the whole date, not by the year they start with; a
    // number with a unit after it is still a number.
    XComPtr<IDataTableHost> dates =
        tableOf({L"2029-09-28", L"2029-01-15", L"0001-01-01", L"3 份", L"2027-12-31", L"--", L"2029-01-02", L"12"});
    XComPtr<IDataViewHost> byDate = viewOver(dates.get());
    sorter->setSortField(L"t");
    sorter->setSortOrder(0);
    byDate->setSorter(sorter.get());
    EXPECT_EQ(column(byDate.get(), L"n"), (Texts{L"3", L"7", L"2", L"4", L"6", L"1", L"0", L"5"}));
    // A field the container lacks leaves the rows it is given as they are.
    int rows[] = {4, 0, 2};
    sorter->setSortField(L"nope");
    sorter->sortRows(table.get(), rows, 3);
    EXPECT_EQ(std::vector<int>(rows, rows + 3), (std::vector<int>{4, 0, 2}));
}

TEST(DataLibrarySort, TopSorterPinsValuesInTheirOrderAndKeepsTheRest)
{
    XComPtr<IDataTableHost> table = tableOf({L"a", L"b", L"c", L"b", L"d", L"e"});
    XComPtr<IDataViewHost> view = viewOver(table.get());
    XComPtr<ITopSorterHost> top = createInstance("Data.TopSorter").cast<ITopSorterHost>();
    ASSERT_TRUE(top);
    top->setField(L"t");
    top->addValue(L"d");
    top->addValue(L"b");
    top->addValue(L"zz");
    top->addValue(L"d");
    view->setSorter(top.get());
    EXPECT_EQ(column(view.get(), L"n"), (Texts{L"4", L"1", L"3", L"0", L"2", L"5"}));
    top->clearValues();
    view->rebuild(0);
    EXPECT_EQ(column(view.get(), L"n"), (Texts{L"0", L"1", L"2", L"3", L"4", L"5"}));
}

// A staging table's rows replace the table's by column name: the views over the table see
// the new rows in one rebuild, a column the staging table lacks reads NULL, one only it has
// is added, and the value types follow the caller's choice.
TEST(DataLibraryView, AdoptedRowsReplaceTheTablesByNameInOneRebuild)
{
    XComPtr<IDataTableHost> table = tableOf({L"a", L"b", L"c"});
    table->addColumn(L"old", VALUE_REAL);
    table->setDouble(0, 2, 1.5);
    XComPtr<IDataViewHost> view = viewOver(table.get());
    std::vector<std::string> log;
    XComPtr<RecordingSink> sink = XComPtr<RecordingSink>::adopt(new RecordingSink(log, "v"));
    view->setEventSink(sink.get());

    // Columns in another order, "t" typed as a number, no "old", a new "extra".
    XComPtr<IDataTableHost> staging = createHostTable();
    staging->reserveRows(4);
    int n = staging->addColumn(L"n", VALUE_INT);
    int t = staging->addColumn(L"t", VALUE_REAL);
    int extra = staging->addColumn(L"extra", VALUE_TEXT);
    for (int i = 0; i < 4; ++i) {
        int row = staging->appendRow();
        staging->setInt64(row, n, 10 + i);
        std::wstring text = L"new" + std::to_wstring(i);
        staging->setTextAt(row, t, text.c_str(), text.size());
    }
    staging->setTextAt(3, extra, L"x", 1);
    double real = -1;
    EXPECT_TRUE(staging->readRealAt(0, n, real));
    EXPECT_EQ(real, 10.0);
    EXPECT_FALSE(staging->readRealAt(0, extra, real)) << "NULL";
    EXPECT_FALSE(staging->readRealAt(9, n, real)) << "no such row";

    ASSERT_TRUE(table->adoptRows(staging.get(), false));
    EXPECT_EQ(log, (std::vector<std::string>{"v-3", "v+4"})) << "one rebuild";
    EXPECT_EQ(column(view.get(), L"t"), (Texts{L"new0", L"new1", L"new2", L"new3"}));
    EXPECT_EQ(column(view.get(), L"n"), (Texts{L"10", L"11", L"12", L"13"}));
    EXPECT_EQ(column(view.get(), L"extra"), (Texts{L"", L"", L"", L"x"}));
    EXPECT_TRUE(table->getRow(3)->getItem(L"old")->isNull());
    EXPECT_EQ(table->getColumnIndex(L"t"), 0) << "indexes keep naming their columns";
    EXPECT_EQ(table->getColumn(0)->getValueType(), VALUE_TEXT) << "a refill keeps the types";
    EXPECT_EQ(staging->getRowCount(), 0);
    EXPECT_EQ(staging->getColumnCount(), 3);

    // A first fill takes the staging table's types; a table cannot take its own rows.
    staging->appendRow();
    ASSERT_TRUE(table->adoptRows(staging.get(), true));
    EXPECT_EQ(table->getColumn(0)->getValueType(), VALUE_REAL);
    EXPECT_EQ(view->getRowCount(), 1);
    EXPECT_FALSE(table->adoptRows(table.get(), true));
    EXPECT_EQ(view->getRowCount(), 1);
    view->setEventSink(nullptr);
}

// "Client2.DataAccess": the kernel's tables and views read as their rows and cells read, a
// view's rows found from its source's, writes only into a table; nothing for a container
// made elsewhere, while a kernel view over one is read through that container.
TEST(HostServices, DataAccessReadsKernelContainersAsTheirCellsDoAndRefusesOthers)
{
    auto service = createInstanceAs<IDataAccess>(kDataAccessProgId);
    if (contractOnly()) {
        EXPECT_FALSE(service) << "the client has no such service";
        return;
    }
    ASSERT_TRUE(service);
    XComPtr<IDataTableHost> table = tableOf({L"b", L"<null>", L"a", L"c", L"x", L"a"});
    table->setDouble(4, 0, 2.5);
    XComPtr<IDataViewHost> view = viewOver(table.get());
    XComPtr<DivisibleFilter> even = XComPtr<DivisibleFilter>::adopt(new DivisibleFilter(2));
    view->addFilter(even.get());
    XComPtr<IFieldSorter> sorter = createInstanceAs<IFieldSorter>("Data.FieldSorter");
    ASSERT_TRUE(sorter);
    sorter->setSortField(L"t");
    view->setSorter(sorter.get());
    XComPtr<ICellAccess> tableCells = service->access(table.get());
    XComPtr<ICellAccess> viewCells = service->access(view.get());
    ASSERT_TRUE(tableCells && viewCells);
    EXPECT_EQ(readsThatDiffer(table.get(), tableCells.get(), 2), 0);
    EXPECT_EQ(readsThatDiffer(view.get(), viewCells.get(), 2), 0);

    ASSERT_EQ(view->getRowCount(), 3);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(viewCells->findSourceRow(view->getSourceIndex(row)), row);
    EXPECT_EQ(viewCells->findSourceRow(1), -1) << "filtered out";
    EXPECT_EQ(viewCells->findSourceRow(99), -1);
    EXPECT_EQ(tableCells->findSourceRow(0), -2);

    // Stored texts in place; a number or NULL has none.
    const wchar_t* chars = nullptr;
    size_t length = 0;
    ASSERT_TRUE(tableCells->textViewAt(2, 0, chars, length));
    EXPECT_EQ(std::wstring(chars, length), L"a");
    EXPECT_FALSE(tableCells->textViewAt(4, 0, chars, length));
    EXPECT_FALSE(tableCells->textViewAt(1, 0, chars, length));
    const int rows[] = {0, 1, 2};
    TextView texts[3];
    ASSERT_TRUE(viewCells->textViewsAt(0, rows, 3, texts));
    EXPECT_EQ(texts[0].chars, nullptr) << "the view's first row is the number";
    EXPECT_EQ(std::wstring(texts[1].chars, texts[1].length), L"a");
    EXPECT_FALSE(viewCells->textViewsAt(5, rows, 3, texts));

    EXPECT_FALSE(viewCells->setTextAt(0, 0, L"v", 1));
    EXPECT_FALSE(tableCells->setTextAt(99, 0, L"v", 1));
    EXPECT_FALSE(tableCells->setTextAt(3, 0, nullptr, 2));
    EXPECT_TRUE(tableCells->setTextAt(3, 0, L"新的", 2));
    EXPECT_EQ(table->getRow(3)->getItem(L"t")->getText(), L"新的");

    // The access holds its view: still readable once the caller let go of it.
    XStringW text;
    view.reset();
    EXPECT_TRUE(viewCells->readTextAt(2, 0, text));
    EXPECT_EQ(text, L"b");

    XComPtr<ForeignContainer> foreign = XComPtr<ForeignContainer>::adopt(new ForeignContainer({L"q", L"2", L"p"}));
    EXPECT_FALSE(service->access(foreign.get()));
    EXPECT_FALSE(service->access(nullptr));
    XComPtr<IDataViewHost> overForeign = viewOver(foreign.get());
    XComPtr<ICellAccess> foreignCells = service->access(overForeign.get());
    ASSERT_TRUE(foreignCells);
    EXPECT_EQ(readsThatDiffer(overForeign.get(), foreignCells.get(), 1), 0);
}

// "Client2.SortPlaceholders": a stored "no date" sorts with the empty values, last either
// way, until cleared; a sorter made elsewhere is refused, and a view given one keeps its
// source's order.
TEST(HostServices, SortPlaceholdersPutAStoredNoDateLastOnlyOnTheKernelsSorters)
{
    auto placeholders = createInstanceAs<ISortPlaceholders>(kSortPlaceholdersProgId);
    if (contractOnly()) {
        EXPECT_FALSE(placeholders) << "the client has no such service";
        return;
    }
    ASSERT_TRUE(placeholders);
    XComPtr<IDataTableHost> table = tableOf({L"2029-01-02", L"0001-01-01", L"2027-12-31", L"--"});
    XComPtr<IDataViewHost> view = viewOver(table.get());
    XComPtr<IFieldSorter> sorter = createInstanceAs<IFieldSorter>("Data.FieldSorter");
    ASSERT_TRUE(sorter);
    sorter->setSortField(L"t");
    view->setSorter(sorter.get());
    EXPECT_EQ(column(view.get(), L"n"), (Texts{L"1", L"2", L"0", L"3"}));

    ASSERT_TRUE(placeholders->addPlaceholder(sorter.get(), L"t", L"0001-01-01"));
    view->rebuild(0);
    EXPECT_EQ(column(view.get(), L"n"), (Texts{L"2", L"0", L"1", L"3"}));
    sorter->setSortOrder(1);
    view->rebuild(0);
    EXPECT_EQ(column(view.get(), L"n"), (Texts{L"0", L"2", L"1", L"3"}));
    ASSERT_TRUE(placeholders->clearPlaceholders(sorter.get()));
    sorter->setSortOrder(0);
    view->rebuild(0);
    EXPECT_EQ(column(view.get(), L"n"), (Texts{L"1", L"2", L"0", L"3"}));

    XComPtr<ForeignSorter> foreign = XComPtr<ForeignSorter>::adopt(new ForeignSorter);
    EXPECT_FALSE(placeholders->addPlaceholder(foreign.get(), L"t", L"0001-01-01"));
    EXPECT_FALSE(placeholders->clearPlaceholders(foreign.get()));
    EXPECT_FALSE(placeholders->addPlaceholder(nullptr, L"t", L"0001-01-01"));
    view->setSorter(foreign.get());
    EXPECT_EQ(column(view.get(), L"n"), (Texts{L"0", L"1", L"2", L"3"}));
}
