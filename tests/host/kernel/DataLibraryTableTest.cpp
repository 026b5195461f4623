// The kernel's data table: cells keep SQLite's value and read it the way SQLite converts.
#include "common/XString.h"
#include "hostapi/DataHost.h"
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace Host;

namespace {

XComPtr<IDataTableHost> newTable()
{
    XComPtr<IDataTableHost> table = createHostTable();
    EXPECT_TRUE(table);
    return table;
}

XComPtr<IColumnItem> cellOf(IDataContainer* c, int row, const wchar_t* column)
{
    XComPtr<IDataRow> r = c->getRow(row);
    return r ? r->getItem(column) : XComPtr<IColumnItem>();
}

void setText(IDataTableHost* t, int row, int column, const std::wstring& text)
{
    t->setTextAt(row, column, text.c_str(), text.size());
}

} // namespace

TEST(DataLibraryTable, CellsConvertOnReadLikeSqlite)
{
    XComPtr<IDataTableHost> t = newTable();
    int v = t->addColumn(L"v", VALUE_TEXT);
    for (int i = 0; i < 12; ++i) t->appendRow();
    t->setDouble(0, v, 1.5);
    t->setDouble(1, v, 2.0);
    t->setDouble(2, v, 1e20);
    t->setInt64(3, v, 42);
    setText(t.get(), 4, v, L"12.50%");
    setText(t.get(), 5, v, L"  -3.4e2x");
    setText(t.get(), 6, v, L"abc");
    setText(t.get(), 7, v, L"12.9");
    t->setInt64(8, v, int64_t(1) << 40);
    t->setDouble(9, v, std::nan(""));
    setText(t.get(), 10, v, L"");
    t->commitFill();

    EXPECT_EQ(cellOf(t.get(), 0, L"v")->getText(), L"1.5");
    EXPECT_EQ(cellOf(t.get(), 1, L"v")->getText(), L"2.0");
    EXPECT_EQ(cellOf(t.get(), 2, L"v")->getText(), L"1.0e+20");
    EXPECT_EQ(cellOf(t.get(), 3, L"v")->getText(), L"42");
    EXPECT_DOUBLE_EQ(cellOf(t.get(), 3, L"v")->getDouble(), 42.0);
    EXPECT_EQ(cellOf(t.get(), 0, L"v")->getInt(), 1);
    EXPECT_DOUBLE_EQ(cellOf(t.get(), 4, L"v")->getDouble(), 12.5);
    EXPECT_EQ(cellOf(t.get(), 4, L"v")->getInt(), 12);
    EXPECT_DOUBLE_EQ(cellOf(t.get(), 5, L"v")->getDouble(), -340.0);
    EXPECT_DOUBLE_EQ(cellOf(t.get(), 6, L"v")->getDouble(), 0.0);
    EXPECT_EQ(cellOf(t.get(), 7, L"v")->getInt(), 12);
    // Too big for an int: clamped, not wrapped into a negative number.
    EXPECT_EQ(cellOf(t.get(), 8, L"v")->getInt(), std::numeric_limits<int>::max());
    EXPECT_EQ(cellOf(t.get(), 8, L"v")->getText(), L"1099511627776");
    // NaN is stored as NULL, as SQLite does; an empty text is not NULL.
    EXPECT_TRUE(cellOf(t.get(), 9, L"v")->isNull());
    EXPECT_FALSE(cellOf(t.get(), 10, L"v")->isNull());
    XComPtr<IColumnItem> never = cellOf(t.get(), 11, L"v");
    EXPECT_TRUE(never->isNull());
    EXPECT_EQ(never->getText(), L"");
    EXPECT_EQ(never->getInt(), 0);
    EXPECT_EQ(never->getDouble(), 0.0);

    never->setText(L"写入");
    EXPECT_FALSE(never->isNull());
    EXPECT_EQ(cellOf(t.get(), 11, L"v")->getText(), L"写入");
    XComPtr<IColumnItemHost> named = never.cast<IColumnItemHost>();
    ASSERT_TRUE(named);
    EXPECT_EQ(named->getName(), L"v");
    EXPECT_FALSE(cellOf(t.get(), 0, L"missing"));
    EXPECT_FALSE(t->getRow(12));
    EXPECT_FALSE(t->getRow(-1));
}

// Our text of a real must be the text SQLite itself gives for the same stored value.
TEST(DataLibraryTable, RealTextMatchesSqlite)
{
    const double values[] = {1.5, 2.0, 0.1, -0.25, 1e20, 1.5e-7, 123456789.123456789, 1.0 / 3, 100.0, -7e300};
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "select ?1", -1, &st, nullptr), SQLITE_OK);
    XComPtr<IDataTableHost> t = newTable();
    t->addColumn(L"r", VALUE_REAL);
    for (double value : values) {
        int row = t->appendRow();
        t->setDouble(row, 0, value);
        sqlite3_bind_double(st, 1, value);
        ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
        std::wstring expected(static_cast<const wchar_t*>(sqlite3_column_text16(st, 0)));
        EXPECT_EQ(t->getRow(row)->getItemAt(0)->getText(), expected) << value;
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}

TEST(DataLibraryTable, EmptyUntilFilledAndAfterInvalidateAndRefillKeepsColumns)
{
    XComPtr<IDataTableHost> t = newTable();
    EXPECT_TRUE(t->isEmpty());
    int code = t->addColumn(L"code", VALUE_TEXT);
    int price = t->addColumn(L"price", VALUE_REAL);
    for (int i = 0; i < 3; ++i) setText(t.get(), t->appendRow(), code, L"15000" + std::to_wstring(i));
    EXPECT_TRUE(t->isEmpty());
    t->commitFill();
    EXPECT_FALSE(t->isEmpty());
    XComPtr<IDataRow> held = t->getRow(2);
    XComPtr<IColumnItem> heldCell = held->getItemAt(code);

    t->invalidate(0);
    EXPECT_TRUE(t->isEmpty());
    EXPECT_EQ(t->getRowCount(), 3); // invalidating does not drop the rows still shown

    // A first fill again names the same columns: no second "code" column appears.
    EXPECT_EQ(t->addColumn(L"code", VALUE_TEXT), code);
    EXPECT_EQ(t->addColumn(L"price", VALUE_INT), price);
    EXPECT_EQ(t->getColumnCount(), 2);
    EXPECT_EQ(t->getColumn(price)->getValueType(), VALUE_INT);
    t->clearRows();
    setText(t.get(), t->appendRow(), code, L"160001");
    t->commitFill();
    EXPECT_FALSE(t->isEmpty());
    EXPECT_EQ(t->getRowCount(), 1);
    EXPECT_EQ(t->getColumnIndex(L"price"), price);
    EXPECT_EQ(t->getColumnIndex(L"nope"), -1);
    EXPECT_EQ(columnName(t.get(), code), L"code");

    // A row and cell held across a shortening refill read NULL and ignore writes.
    EXPECT_TRUE(heldCell->isNull());
    heldCell->setText(L"x");
    EXPECT_EQ(t->getRowCount(), 1);
    EXPECT_EQ(held->getItem(L"code")->getText(), L"");
}

// A fill's rows, one call per row: each kind of cell, the columns past the cells given
// NULL, and UTF-8 texts of many lengths, first into a table that grows, then into one that
// reserved exactly what the first holds (the longest texts pass that room as UTF-8 bytes and
// are decoded beside it). A column of more distinct texts than are kept once reads back too.
TEST(DataLibraryTable, RowsAppendedWholeKeepEveryCellAndText)
{
    std::vector<std::string> texts;
    for (int i = 0; i < 6000; ++i) texts.push_back(std::to_string(1000000 + i * 7));
    texts.push_back("\xe5\x9f"); // cut short: one U+FFFD per byte
    for (int n : {0, 1, 85, 86, 100, 2000}) texts.push_back(Common::toUtf8(std::wstring(size_t(n), L'基') + L"x"));
    auto fill = [&](IDataTableHost* t) {
        t->addColumn(L"text", VALUE_TEXT);
        t->addColumn(L"number", VALUE_REAL);
        t->addColumn(L"none", VALUE_INT);
        for (size_t i = 0; i < texts.size(); ++i) {
            CellValue cells[2] = {{CELL_TEXT, 0, 0.0, texts[i].data(), texts[i].size()},
                                  {i % 2 ? CELL_INT : CELL_REAL, int64_t(i), double(i) + 0.5, nullptr, 0}};
            EXPECT_EQ(t->appendRowValues(cells, i % 3 ? 2 : 3), int(i)); // a third cell that is not there
        }
        t->commitFill();
    };
    XComPtr<IDataTableHost> first = newTable(), second = newTable();
    fill(first.get());
    second->reserveLike(first.get());
    fill(second.get());
    for (IDataTableHost* t : {first.get(), second.get()}) {
        ASSERT_EQ(t->getRowCount(), int(texts.size()));
        XStringW text;
        int wrong = 0;
        for (size_t i = 0; i < texts.size(); ++i) {
            t->readTextAt(int(i), 0, text);
            std::wstring expected = i == 6000 ? L"\uFFFD\uFFFD" : Common::fromUtf8(texts[i]);
            if (text != expected) ++wrong;
            XComPtr<IColumnItem> number = cellOf(t, int(i), L"number");
            if (number->getDouble() != (i % 2 ? double(i) : double(i) + 0.5)) ++wrong;
            if (!cellOf(t, int(i), L"none")->isNull()) ++wrong;
        }
        EXPECT_EQ(wrong, 0);
    }
}
