// The field sorter against a straightforward reference: std::stable_sort of every row by the
// documented comparison, reading cells through the public interface. Numbers by value; a text
// holding one number as that number; other texts by GB2312 bytes; NULL, blanks, "--" and the
// field's placeholder texts last in either direction; ties in the order the rows came in.
#include "Database.h"
#include "TempDir.h"
#include "data/FundTable.h"
#include "hostapi/DataHost.h"
#include <gtest/gtest.h>
#include <cmath>
#include <windows.h>
#include <algorithm>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

using namespace Host;

namespace {

struct RefKey {
    int group = 2; // 0 number, 1 text, 2 empty
    double number = 0;
    std::string bytes;
};

bool emptyText(const std::wstring& t)
{
    static const std::wregex blankOrDashes(L"^\\s*(--)?\\s*$");
    return std::regex_match(t, blankOrDashes);
}

bool oneNumber(const std::wstring& t)
{
    static const std::wregex number(L"^\\s*[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?[^0-9]*$");
    return std::regex_match(t, number);
}

RefKey refKey(IDataContainer* c, int row, int column, bool numeric, const std::set<std::wstring>& placeholders)
{
    RefKey k;
    XComPtr<IDataRow> r = c->getRow(row);
    XComPtr<IColumnItem> item = r ? r->getItemAt(column) : XComPtr<IColumnItem>();
    if (!item || item->isNull()) return k;
    std::wstring text = item->getText();
    if (emptyText(text) || placeholders.count(text)) return k;
    if (numeric || oneNumber(text)) {
        k.group = 0;
        k.number = item->getDouble();
        return k;
    }
    k.group = 1;
    int n = WideCharToMultiByte(936, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    k.bytes.resize(size_t(n));
    WideCharToMultiByte(936, 0, text.c_str(), int(text.size()), &k.bytes[0], n, nullptr, nullptr);
    return k;
}

// Numbers before texts, numbers by value, texts by their GBK bytes. Empty cells (group 2)
// are the caller's: they go last in either direction.
int compareKeys(const RefKey& x, const RefKey& y)
{
    if (x.group != y.group) return x.group < y.group ? -1 : 1;
    if (x.group == 0) return x.number < y.number ? -1 : (y.number < x.number ? 1 : 0);
    return x.bytes < y.bytes ? -1 : (y.bytes < x.bytes ? 1 : 0);
}

// The container's rows in the order the documented comparison gives them.
std::vector<int> referenceOrder(IDataContainer* c, const std::wstring& field, bool descending,
                                const std::set<std::wstring>& placeholders = {})
{
    int column = c->getColumnIndex(field);
    int type = c->getColumn(column)->getValueType();
    bool numeric = type == VALUE_REAL || type == VALUE_INT;
    std::vector<RefKey> keys;
    for (int r = 0; r < c->getRowCount(); ++r) keys.push_back(refKey(c, r, column, numeric, placeholders));
    std::vector<int> order(keys.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const RefKey& x = keys[size_t(a)];
        const RefKey& y = keys[size_t(b)];
        if (x.group == 2 || y.group == 2) return x.group != 2 && y.group == 2;
        int cmp = compareKeys(x, y);
        return descending ? cmp > 0 : cmp < 0;
    });
    return order;
}

// Sorts a view over `source` by the field and returns its rows as rows of `source`.
std::vector<int> sorterOrder(IDataContainer* source, const std::wstring& field, bool descending,
                             const std::set<std::wstring>& placeholders = {})
{
    XComPtr<IFieldSorterHost> sorter = createInstance("Data.FieldSorter").cast<IFieldSorterHost>();
    EXPECT_TRUE(sorter);
    if (!sorter) return {};
    sorter->setSortField(field);
    sorter->setSortOrder(descending ? 1 : 0);
    for (const std::wstring& p : placeholders) sorter->addPlaceholder(field, p);
    XComPtr<IDataView> view = createInstanceAs<IDataView>("Data.DataView");
    view->setSource(source);
    view->setSorter(sorter.get());
    std::vector<int> rows;
    for (int i = 0; i < view->getRowCount(); ++i) rows.push_back(view->getSourceIndex(i));
    return rows;
}

void expectSameOrderEveryColumn(IDataContainer* source, const std::set<std::wstring>& placeholders)
{
    ICellReader* reader = cellReader(source);
    ASSERT_TRUE(reader);
    for (int c = 0; c < reader->getColumnCount(); ++c) {
        std::wstring field = columnName(source, c);
        ASSERT_FALSE(field.empty()) << "column " << c;
        for (bool descending : {false, true}) {
            std::set<std::wstring> p =
                field.find(L"date") != std::wstring::npos ? placeholders : std::set<std::wstring>{};
            EXPECT_EQ(sorterOrder(source, field, descending, p), referenceOrder(source, field, descending, p))
                << "field " << Common::toUtf8(field) << (descending ? " descending" : " ascending");
        }
    }
}

} // namespace

// Cells of every storage in columns of every value type, with many ties, seen through a view
// already sorted by another field, so the sorter works on rows that are not in table order.
TEST(DataSortOrder, MatchesTheReferenceOnMixedCellsThroughAViewChain)
{
    XComPtr<IDataTableHost> table = createHostTable();
    ASSERT_TRUE(table);
    const wchar_t* const texts[] = {L"张三", L"阿",   L"北京",       L"12.50%",     L"-3.4",       L"--",
                                    L"  ",   L"",     L"0001-01-01", L"2029-09-28", L"2027-01-02", L"abc",
                                    L"Abc",  L"3 份", L"1e3",        L"0",          L"1.5"};
    table->addColumn(L"t", VALUE_TEXT);
    table->addColumn(L"r", VALUE_REAL);
    table->addColumn(L"i", VALUE_INT);
    table->addColumn(L"expiredate", VALUE_TEXT);
    std::mt19937 rng(7);
    for (int n = 0; n < 3000; ++n) {
        int row = table->appendRow();
        for (int c = 0; c < 4; ++c) {
            switch (rng() % 5) {
            case 0: table->setNull(row, c); break;
            case 1: {
                // Minus zero equals zero; the infinities are numbers too.
                const double specials[] = {-0.0, HUGE_VAL, -HUGE_VAL};
                table->setDouble(row, c, rng() % 6 ? double(int(rng() % 40)) / 4 - 5 : specials[rng() % 3]);
                break;
            }
            case 2: table->setInt64(row, c, int64_t(rng() % 30) - 10); break;
            default: {
                const wchar_t* t = texts[rng() % (sizeof texts / sizeof texts[0])];
                table->setTextAt(row, c, t, wcslen(t));
            }
            }
        }
    }
    table->commitFill();
    XComPtr<IFieldSorter> first = createInstanceAs<IFieldSorter>("Data.FieldSorter");
    ASSERT_TRUE(first);
    first->setSortField(L"i");
    first->setSortOrder(1);
    XComPtr<IDataViewHost> shuffled = createHostView();
    ASSERT_TRUE(shuffled);
    shuffled->setSource(table.get());
    shuffled->setSorter(first.get());
    expectSameOrderEveryColumn(shuffled.get(), {L"0001-01-01"});

    // The placeholder is the field's own: without it the stored date sorts as a text.
    std::vector<int> plain = sorterOrder(table.get(), L"expiredate", false);
    std::vector<int> placed = sorterOrder(table.get(), L"expiredate", false, {L"0001-01-01"});
    EXPECT_NE(plain, placed);
    EXPECT_EQ(placed, referenceOrder(table.get(), L"expiredate", false, {L"0001-01-01"}));
}

TEST(DataSortOrder, MatchesTheReferenceOnTheSampleAndOnTenThousandsOfSyntheticFunds)
{
    TestSupport::TempDir dir;
    for (int funds : {0, 100000}) {
        std::wstring path = dir.file(funds ? L"synthetic.db" : L"sample.db");
        XStringW error;
        FundDb::Content content = funds ? FundDb::Content::Synthetic : FundDb::Content::StandardSample;
        ASSERT_TRUE(FundDb::writeFundDatabase(path, content, funds, false, error)) << Common::toUtf8(error);
        XComPtr<IDatabase> db = FundDb::openFundDatabase(path, error);
        XComPtr<IDataTableHost> table = createHostTable();
        ASSERT_TRUE(table);
        ASSERT_TRUE(ClosedFund::fillFundTable(db.get(), table.get(), L"2026-06-26"));
        ASSERT_EQ(table->getRowCount() >= 50, true);
        // As the grid sorts them: the percentages and values by number, the rest as stored.
        for (const wchar_t* real : {L"value", L"price", L"pricevaluerate", L"increasepercent"})
            table->getColumn(table->getColumnIndex(real))->setValueType(VALUE_REAL);
        table->getColumn(table->getColumnIndex(L"peoples"))->setValueType(VALUE_INT);
        expectSameOrderEveryColumn(table.get(), {L"0001-01-01"});
    }
}

// Texts of a column that repeat are stored once; each cell still reads its own text after
// rewrites, in a column of few distinct texts and in one of unique texts.
TEST(DataSortOrder, RepeatedAndUniqueTextsReadBackAfterRewrites)
{
    XComPtr<IDataTableHost> table = createHostTable();
    ASSERT_TRUE(table);
    table->addColumn(L"type", VALUE_TEXT);
    table->addColumn(L"code", VALUE_TEXT);
    const int rows = 20000;
    std::vector<std::wstring> types, codes;
    for (int r = 0; r < rows; ++r) {
        int row = table->appendRow();
        types.push_back(L"类型" + std::to_wstring(r % 23));
        codes.push_back(std::to_wstring(100000 + r * 7));
        table->setTextAt(row, 0, types.back().c_str(), types.back().size());
        table->setTextAt(row, 1, codes.back().c_str(), codes.back().size());
    }
    table->commitFill();
    for (int r = 0; r < rows; r += 97) {
        types[size_t(r)] = r % 2 ? L"类型5" : L"新类型";
        codes[size_t(r)] = L"x" + codes[size_t(r)];
        table->setTextAt(r, 0, types[size_t(r)].c_str(), types[size_t(r)].size());
        table->setTextAt(r, 1, codes[size_t(r)].c_str(), codes[size_t(r)].size());
    }
    XStringW text;
    int wrong = 0;
    for (int r = 0; r < rows; ++r) {
        const wchar_t* chars = nullptr;
        size_t length = 0;
        ASSERT_TRUE(table->textViewAt(r, 0, chars, length));
        if (std::wstring(chars, length) != types[size_t(r)]) ++wrong;
        table->readTextAt(r, 1, text);
        if (text != codes[size_t(r)]) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
    // A number or NULL has no stored text to view; readTextAt converts it.
    const wchar_t* chars = nullptr;
    size_t length = 0;
    table->setDouble(0, 0, 1.5);
    EXPECT_FALSE(table->textViewAt(0, 0, chars, length));
    EXPECT_FALSE(table->textViewAt(rows, 0, chars, length));

    // The same reads many rows at a time, through a view: a number, a missing row and a
    // missing column give no text, and nothing else is disturbed.
    XComPtr<IDataViewHost> view = createHostView();
    ASSERT_TRUE(view);
    view->setSource(table.get());
    const int asked[] = {3, 0, rows + 5, -1, 97, 3};
    TextView views[6];
    ASSERT_TRUE(view->textViewsAt(0, asked, 6, views));
    for (int i : {0, 4, 5}) EXPECT_EQ(std::wstring(views[i].chars, views[i].length), types[size_t(asked[i])]) << i;
    for (int i : {1, 2, 3}) EXPECT_EQ(views[i].chars, nullptr) << i;
    EXPECT_FALSE(view->textViewsAt(7, asked, 6, views));
}
