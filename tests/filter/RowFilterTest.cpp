// The keyword and value filters on real data tables and views of the kernel.
#include "filter/MultiValueFilter.h"
#include "filter/SearchFilterImpl.h"
#include "host/Kernel.h"
#include "hostapi/DataHost.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>

using ClosedFund::MultiValueFilter;
using ClosedFund::SearchFilterImpl;
using Host::IDataTable;
using Host::IDataView;

namespace {

const wchar_t* const NUL = nullptr; // a NULL cell

XComPtr<Host::IDataTableHost> makeTable(const std::vector<const wchar_t*>& columns,
                                        const std::vector<std::vector<const wchar_t*>>& rows)
{
    XComPtr<Host::IDataTableHost> table = Host::createHostTable();
    if (!table) return table;
    for (const wchar_t* name : columns) table->addColumn(name, Host::VALUE_TEXT);
    for (const auto& cells : rows) {
        int row = table->appendRow();
        for (size_t c = 0; c < cells.size(); ++c) {
            if (cells[c]) table->setTextAt(row, int(c), cells[c], wcslen(cells[c]));
        }
    }
    table->commitFill();
    return table;
}

XComPtr<IDataView> viewOver(Host::IDataContainer* source)
{
    XComPtr<IDataView> view = Host::createInstanceAs<IDataView>("Data.DataView");
    if (view) view->setSource(source);
    return view;
}

// The table rows the view shows, in order.
std::vector<int> shownRows(IDataView* view)
{
    std::vector<int> rows;
    for (int i = 0; i < view->getRowCount(); ++i) rows.push_back(view->getSourceIndex(i));
    return rows;
}

template <class F>
XComPtr<F> newFilter()
{
    return XComPtr<F>::adopt(new F);
}

typedef std::vector<int> Rows;

} // namespace

TEST(SearchFilter, KeepsRowsWithAnyKeywordInAnySearchedColumnIgnoringCase)
{
    XComPtr<IDataTable> table = makeTable({L"code", L"name", L"company"}, {
                                                                              {L"600001", L"Fund A", L"ABC Co"},
                                                                              {L"150002", L"xAbCx", L""},
                                                                              {L"150003", L"Other", L"abc"},
                                                                              {L"", L"", L""},
                                                                              {L"500600", L"基金ÄBC", NUL},
                                                                              {L"184001", NUL, NUL},
                                                                          });
    ASSERT_TRUE(table);
    XComPtr<IDataView> view = viewOver(table.get());
    auto filter = newFilter<SearchFilterImpl>();
    filter->AddColumn(L"code");
    filter->AddColumn(L"name");
    filter->AddColumn(L"code");
    filter->AddColumn(L"no_such_column"); // skipped
    filter->AddKeyword(L"ABC");
    filter->AddKeyword(L"abc");
    filter->AddKeyword(L"600");
    filter->AddKeyword(L"");
    ASSERT_EQ(3u, filter->GetColumns().size());
    ASSERT_EQ(2u, filter->GetKeywords().size());
    EXPECT_EQ(L"abc", filter->GetKeywords()[0]);

    view->addFilter(filter.get());
    EXPECT_EQ((Rows{0, 1, 4}), shownRows(view.get()));

    // Lists may change while installed; a rebuild applies them.
    filter->ClearKeywords();
    filter->AddKeyword(L"OTHER");
    filter->AddKeyword(L"基金ä");
    view->rebuild(1);
    EXPECT_EQ((Rows{2, 4}), shownRows(view.get()));

    view->removeFilter(filter.get());
    EXPECT_EQ(6, view->getRowCount());
}

TEST(SearchFilter, PrefixColumnsMatchOnlyAtTheStartOfTheText)
{
    XComPtr<IDataTable> table = makeTable({L"name", L"pycode"}, {
                                                                    {L"示例基金001", L"SLJJ001"},
                                                                    {L"新示例基金", L"xsljj"},
                                                                    {L"sljj 在名称里", NUL},
                                                                    {L"其他", L"sl"},
                                                                });
    ASSERT_TRUE(table);
    XComPtr<IDataView> view = viewOver(table.get());
    auto filter = newFilter<SearchFilterImpl>();
    filter->AddColumn(L"name");
    filter->AddPrefixColumn(L"pycode");
    filter->AddPrefixColumn(L"name"); // already searched anywhere: stays so
    filter->AddKeyword(L"sljj");
    EXPECT_EQ(1u, filter->GetPrefixColumns().size());
    view->addFilter(filter.get());
    // Initials in any letter case from their start; the name still anywhere; "xsljj" and a
    // shorter "sl" are no match.
    EXPECT_EQ((Rows{0, 2}), shownRows(view.get()));
    filter->ClearColumns();
    filter->AddPrefixColumn(L"pycode");
    view->rebuild(1);
    EXPECT_EQ((Rows{0}), shownRows(view.get())) << "a prefix column alone searches";
}

TEST(ValueFilter, KeepsExactMatchesOnlyAndPassesAllWithoutAColumn)
{
    XComPtr<IDataTable> table = makeTable({L"code", L"type"}, {
                                                                  {L"1", L"股票型"},
                                                                  {L"2", L"股票型 "},
                                                                  {L"3", L"混合股票型"},
                                                                  {L"4", L"债券型"},
                                                                  {L"5", L"股票型"},
                                                                  {L"6", NUL},
                                                                  {L"7", L"股票"},
                                                              });
    ASSERT_TRUE(table);
    XComPtr<IDataView> view = viewOver(table.get());
    auto filter = newFilter<MultiValueFilter>();
    filter->SetColumn(L"type");
    filter->AddValue(L"股票型");
    filter->AddValue(L"债券型");
    filter->AddValue(L"股票型");
    ASSERT_EQ(2u, filter->GetValues().size());
    EXPECT_TRUE(filter->HasValue(L"债券型"));
    EXPECT_FALSE(filter->HasValue(L"债券"));

    view->addFilter(filter.get());
    EXPECT_EQ((Rows{0, 3, 4}), shownRows(view.get()));
    filter->RemoveValue(L"债券型");
    filter->RemoveValue(L"not there");
    view->rebuild(1);
    EXPECT_EQ((Rows{0, 4}), shownRows(view.get()));
    filter->ClearValues(); // a column but no accepted value keeps nothing
    view->rebuild(1);
    EXPECT_EQ(0, view->getRowCount());

    filter->AddValue(L"混合股票型");
    filter->SetColumn(nullptr); // no column: everything passes
    view->rebuild(1);
    EXPECT_EQ(7, view->getRowCount());
    filter->SetColumn(L"no_such_column");
    view->rebuild(1);
    EXPECT_EQ(7, view->getRowCount());
    filter->SetColumn(L"type");
    view->rebuild(1);
    EXPECT_EQ((Rows{2}), shownRows(view.get()));

    // The same filter over a table whose "type" column sits elsewhere finds it there.
    XComPtr<IDataTable> other = makeTable({L"type", L"code", L"extra"}, {
                                                                            {L"债券型", L"1", L"混合股票型"},
                                                                            {L"混合股票型", L"2", L""},
                                                                        });
    XComPtr<IDataView> otherView = viewOver(other.get());
    otherView->addFilter(filter.get());
    EXPECT_EQ((Rows{1}), shownRows(otherView.get()));
}

// Over many rows the filter remembers answers by where a text is stored: it must still give
// what a plain comparison gives, with more distinct values than it remembers, through a
// view, in a column of repeated texts and in one of unique texts that may equal a value,
// and with numbers among the texts.
TEST(ValueFilter, ManyRowsKeepWhatAPlainComparisonKeeps)
{
    XComPtr<Host::IDataTableHost> table = Host::createHostTable();
    table->addColumn(L"type", Host::VALUE_TEXT);
    table->addColumn(L"code", Host::VALUE_TEXT);
    const int rows = 6000;
    std::vector<std::wstring> types, codes;
    for (int r = 0; r < rows; ++r) {
        int row = table->appendRow();
        types.push_back(L"类型" + std::to_wstring((r * 7) % 97));
        codes.push_back(r % 50 == 0 ? L"类型3" : L"c" + std::to_wstring(r));
        if (r % 13 == 0) {
            table->setDouble(row, 0, 3); // reads as "3.0"
            types.back() = L"3.0";
        } else {
            table->setTextAt(row, 0, types.back().c_str(), types.back().size());
        }
        table->setTextAt(row, 1, codes.back().c_str(), codes.back().size());
    }
    table->commitFill();
    XComPtr<IDataView> view = viewOver(table.get());
    const std::vector<std::wstring> accepted = {L"类型3", L"类型64", L"3.0", L"c77"};
    for (const wchar_t* column : {L"type", L"code"}) {
        auto filter = newFilter<MultiValueFilter>();
        filter->SetColumn(column);
        for (const std::wstring& value : accepted) filter->AddValue(value.c_str());
        view->addFilter(filter.get());
        const std::vector<std::wstring>& texts = column == std::wstring(L"type") ? types : codes;
        Rows expected;
        for (int r = 0; r < rows; ++r)
            if (std::find(accepted.begin(), accepted.end(), texts[size_t(r)]) != accepted.end()) expected.push_back(r);
        EXPECT_EQ(expected, shownRows(view.get())) << Common::toUtf8(column);
        EXPECT_GT(expected.size(), 10u);
        view->removeFilter(filter.get());
    }
}

TEST(RowFilters, CompactInPlaceKeepOrderAndIgnoreUnusableArguments)
{
    XComPtr<IDataTable> table = makeTable({L"code", L"name", L"type"}, {
                                                                           {L"000", L"alpha", L"A"},
                                                                           {L"111", L"beta", L"B"},
                                                                           {L"222", L"alphabet", L"A"},
                                                                           {L"333", L"gamma", L"A"},
                                                                           {L"444", L"ALPHA", L"B"},
                                                                           {L"555", L"delta", L"A"},
                                                                       });
    ASSERT_TRUE(table);
    auto search = newFilter<SearchFilterImpl>();
    search->AddColumn(L"name");
    search->AddKeyword(L"alpha");
    auto value = newFilter<MultiValueFilter>();
    value->SetColumn(L"type");
    value->AddValue(L"A");

    int rows[8] = {5, 4, 2, 3, 0, 1, 77, 88};
    int count = 6;
    search->filterRows(table.get(), rows, &count);
    ASSERT_EQ(3, count);
    EXPECT_EQ((Rows{4, 2, 0, 3, 0, 1, 77, 88}), Rows(rows, rows + 8));
    value->filterRows(table.get(), rows, &count);
    ASSERT_EQ(2, count);
    EXPECT_EQ((Rows{2, 0, 0, 3, 0, 1, 77, 88}), Rows(rows, rows + 8));

    // Unusable arguments: nothing is read or written.
    for (Host::IDataFilter* filter :
         {static_cast<Host::IDataFilter*>(search.get()), static_cast<Host::IDataFilter*>(value.get())}) {
        int some[3] = {1, 2, 3};
        int n = 3;
        filter->filterRows(nullptr, some, &n);
        filter->filterRows(table.get(), nullptr, &n);
        filter->filterRows(table.get(), some, nullptr);
        EXPECT_EQ(3, n);
        EXPECT_EQ((Rows{1, 2, 3}), Rows(some, some + 3));
        for (int bad : {0, -1}) {
            n = bad;
            filter->filterRows(table.get(), some, &n);
            EXPECT_EQ(bad, n);
            EXPECT_EQ((Rows{1, 2, 3}), Rows(some, some + 3));
        }
    }

    // A search filter lacking columns or keywords keeps every row.
    auto noKeywords = newFilter<SearchFilterImpl>(), noColumns = newFilter<SearchFilterImpl>();
    noKeywords->AddColumn(L"name");
    noColumns->AddKeyword(L"zzz");
    for (SearchFilterImpl* filter : {noKeywords.get(), noColumns.get()}) {
        int some[3] = {2, 0, 1};
        int n = 3;
        filter->filterRows(table.get(), some, &n);
        EXPECT_EQ(3, n);
        EXPECT_EQ((Rows{2, 0, 1}), Rows(some, some + 3));
    }

    // Two filters installed on one view: a row stays only if both keep it.
    XComPtr<IDataView> view = viewOver(table.get());
    view->addFilter(search.get());
    view->addFilter(value.get());
    EXPECT_EQ((Rows{0, 2}), shownRows(view.get()));
    view->removeFilter(value.get());
    EXPECT_EQ((Rows{0, 2, 4}), shownRows(view.get()));
}

namespace {
struct CountingLoop {
    Host::IDataFilter* filter;
    static DWORD WINAPI main(void* p)
    {
        Host::IDataFilter* f = static_cast<CountingLoop*>(p)->filter;
        for (int i = 0; i < 20000; ++i) {
            f->addRef();
            f->release();
        }
        return 0;
    }
};

template <class F>
void expectCountedAcrossThreads()
{
    F* filter = new F;
    EXPECT_EQ(2, filter->addRef());
    CountingLoop loop{filter};
    HANDLE threads[4];
    for (HANDLE& h : threads) h = CreateThread(nullptr, 0, &CountingLoop::main, &loop, 0, nullptr);
    WaitForMultipleObjects(4, threads, TRUE, 30000);
    for (HANDLE h : threads) CloseHandle(h);
    EXPECT_EQ(1, filter->release());
    // Installed on a view, the view's reference keeps it alive and filtering.
    XComPtr<IDataTable> table = makeTable({L"code"}, {{L"1"}});
    XComPtr<IDataView> view = viewOver(table.get());
    view->addFilter(filter);
    EXPECT_EQ(1, filter->release());
    EXPECT_EQ(1, view->getRowCount());
    EXPECT_EQ(2, filter->addRef());
    view->removeFilter(filter);
    EXPECT_EQ(0, filter->release()); // deletes
}
} // namespace

TEST(RowFilters, ReferenceCountsAreExactAcrossThreadsAndDeleteAtZero)
{
    expectCountedAcrossThreads<SearchFilterImpl>();
    expectCountedAcrossThreads<MultiValueFilter>();
}
