// The closed-fund table filled by the module's code from real fund databases: the stored
// query's columns, the yield column, the data date and the "ERROR" box of a failed statement.
#include "Database.h"
#include "ModalDriver.h"
#include "TempDir.h"
#include "base/ModuleHandle.h"
#include "base/Resources.h"
#include "data/FundTable.h"
#include "hostapi/DataHost.h"
#include "hostapi/DatabaseHost.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <cmath>
#include <cwchar>

using namespace Host;
using TestSupport::TempDir;

namespace {

const wchar_t* const kReference = L"2026-06-30";

XComPtr<IDatabaseHost> makeDatabase(const TempDir& dir, FundDb::Content content)
{
    XStringW error;
    EXPECT_TRUE(FundDb::writeFundDatabase(dir.file(L"funds.db"), content, 0, false, error)) << Common::toUtf8(error);
    // The tests add and drop rows of their own.
    XComPtr<IDatabaseHost> db = FundDb::openFundDatabase(dir.file(L"funds.db"), error, FundDb::Access::ReadWrite);
    EXPECT_TRUE(db->isOpen()) << Common::toUtf8(error);
    return db;
}

void exec(IDatabase* db, const std::wstring& sql)
{
    XStringW error;
    XComPtr<IStatement> statement = db->prepare(sql, error);
    ASSERT_TRUE(statement) << Common::toUtf8(error);
    statement->step();
}

// A fund with its company, expiring expiry, valued value and traded at price (texts as the
// database keeps them; "NULL" for none).
void addFund(IDatabase* db, const std::wstring& code, const std::wstring& expiry, const std::wstring& value,
             const std::wstring& price)
{
    exec(db, L"insert or ignore into tb_investadvisor values ('g1', 'jhsl', '甲号示例基金管理有限公司')");
    exec(db, L"insert into tb_fund (code, aliascode, name, expiredate, companyguid) values ('" + code + L"', '" + code +
                 L"', '示例" + code + L"', '" + expiry + L"', 'g1')");
    exec(db, L"insert into tb_closedfund (code, date, value, price) values ('" + code + L"', '2026-06-26', " + value +
                 L", " + price + L")");
}

XComPtr<IDataTable> newTable()
{
    XComPtr<IDataTable> table = createInstanceAs<IDataTable>("Data.DataTable");
    EXPECT_TRUE(table);
    return table;
}

// Cell text of the row whose code is code; "<null>" for NULL, "<none>" when there is no such row.
XStringW cellOf(IDataTable* table, const wchar_t* code, const wchar_t* column)
{
    for (int i = 0; i < table->getRowCount(); ++i) {
        XComPtr<IDataRow> row = table->getRow(i);
        if (row->getItem(L"code")->getText() != code) continue;
        XComPtr<IColumnItem> cell = row->getItem(column);
        return !cell ? XStringW(L"<no column>") : cell->isNull() ? XStringW(L"<null>") : cell->getText();
    }
    return L"<none>";
}

} // namespace

TEST(FundTable, SampleFillsTheQueryColumnsInOrderAndDropsDeletedFundRecords)
{
    TempDir dir;
    XComPtr<IDatabaseHost> db = makeDatabase(dir, FundDb::Content::StandardSample);
    XComPtr<IDataTable> table = newTable();
    ASSERT_TRUE(ClosedFund::fillFundTable(db.get(), table.get(), kReference)) << Common::toUtf8(db->getLastError());

    const wchar_t* names[] = {L"code",
                              L"aliascode",
                              L"name",
                              L"investtype",
                              L"investstyle",
                              L"expiredate",
                              L"fundtype",
                              L"createdate",
                              L"quotient",
                              L"peoples",
                              L"date",
                              L"value",
                              L"totalvalue",
                              L"previousvalue",
                              L"previoustotalvalue",
                              L"previousdate",
                              L"increase",
                              L"increasepercent",
                              L"price",
                              L"pricevalue",
                              L"pricevaluerate",
                              L"date_due",
                              L"pricevalueyearincome",
                              L"company",
                              L"pycode"};
    ASSERT_EQ(cellReader(table.get())->getColumnCount(), 25);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(columnName(table.get(), i), names[i]) << i;
        EXPECT_EQ(table->getColumnIndex(names[i]), i);
    }
    EXPECT_EQ(table->getColumn(21)->getValueType(), VALUE_TEXT);
    EXPECT_EQ(table->getColumn(22)->getValueType(), VALUE_TEXT);
    EXPECT_EQ(table->getColumn(17)->getValueType(), VALUE_REAL);
    ASSERT_EQ(table->getRowCount(), 60) << "the joins must neither add nor drop funds";

    EXPECT_EQ(cellOf(table.get(), L"184688", L"name"), L"示例基金001");
    EXPECT_EQ(cellOf(table.get(), L"184688", L"company"), L"j-甲号示例基金管理有限公司");
    EXPECT_EQ(cellOf(table.get(), L"184688", L"date"), L"2026-06-26");
    // The remaining term: a number of years, past expiry "已到期", without an expiry "--".
    EXPECT_EQ(cellOf(table.get(), L"184691", L"date_due"), ClosedFund::kExpiredTerm);
    EXPECT_EQ(cellOf(table.get(), L"184693", L"date_due"), L"--");    // "0001-01-01"
    EXPECT_EQ(cellOf(table.get(), L"184695", L"date_due"), L"--");    // empty expiry
    EXPECT_EQ(cellOf(table.get(), L"184703", L"date_due"), L"73.55"); // 2099-12-31
    EXPECT_EQ(cellOf(table.get(), L"184701", L"peoples"), L"<null>");
    EXPECT_DOUBLE_EQ(table->getRow(0)->getItem(L"value")->getDouble(), 1.2478);
    // Funds 051 and 052 have only a deleted and a delisted record; 053 also has an old deleted one.
    EXPECT_EQ(cellOf(table.get(), L"150011", L"name"), L"<null>");
    EXPECT_EQ(cellOf(table.get(), L"150011", L"company"), L"<null>");
    EXPECT_EQ(cellOf(table.get(), L"150012", L"aliascode"), L"<null>");
    EXPECT_EQ(cellOf(table.get(), L"150013", L"name"), L"示例基金053");
    EXPECT_EQ(cellOf(table.get(), L"184693", L"expiredate"), L"0001-01-01");
    EXPECT_EQ(cellOf(table.get(), L"184693", L"pricevalueyearincome"), L"--");
    EXPECT_EQ(cellOf(table.get(), L"184697", L"pricevalueyearincome"), L"--") << "price 0";
    EXPECT_EQ(cellOf(table.get(), L"184699", L"previousvalue"), L"<null>");
}

TEST(FundTable, YieldTextsForKnownFunds)
{
    TempDir dir;
    XComPtr<IDatabaseHost> db = makeDatabase(dir, FundDb::Content::SchemaOnly);
    addFund(db.get(), L"100001", L"2028-06-29", L"'1.2000'", L"'1.0000'"); // 730 days ahead
    addFund(db.get(), L"100002", L"2025-06-30", L"'1.2000'", L"'1.0000'"); // expired a year ago
    addFund(db.get(), L"100003", L"2027-06-30", L"'1.0000'", L"'0.9000'"); // 365 days: 11.11..%
    addFund(db.get(), L"100004", L"", L"'1.2000'", L"'1.0000'");
    addFund(db.get(), L"100005", L"abc", L"'1.2000'", L"'1.0000'");
    addFund(db.get(), L"100006", L"2026-06-30", L"'1.2000'", L"'1.0000'"); // expires on the reference day
    addFund(db.get(), L"100007", L"2028-06-29", L"'1.2000'", L"'0.0000'");
    addFund(db.get(), L"100008", L"0001-01-01", L"'1.2000'", L"'1.0000'");
    addFund(db.get(), L"100009", L"2028-06-29", L"'1.2000'", L"NULL");
    addFund(db.get(), L"100010", L"2026/7/30", L"1.0", L"1.0"); // slashes parse; no discount
    XComPtr<IDataTable> table = newTable();
    ASSERT_TRUE(ClosedFund::fillFundTable(db.get(), table.get(), kReference));
    ASSERT_EQ(table->getRowCount(), 10);
    const wchar_t* expected[][2] = {{L"100001", L"10.00%"}, {L"100002", L"-20.00%"}, {L"100003", L"11.11%"},
                                    {L"100004", L"--"},     {L"100005", L"--"},      {L"100006", L"--"},
                                    {L"100007", L"--"},     {L"100008", L"--"},      {L"100009", L"--"},
                                    {L"100010", L"0.00%"}};
    for (auto& row : expected) EXPECT_EQ(cellOf(table.get(), row[0], L"pricevalueyearincome"), row[1]) << row[0];
    const wchar_t* terms[][2] = {{L"100001", L"2.00"}, {L"100002", L"已到期"}, {L"100003", L"1.00"},
                                 {L"100004", L"--"},   {L"100005", L"--"},     {L"100006", L"0.00"},
                                 {L"100008", L"--"},   {L"100010", L"0.08"}};
    for (auto& row : terms) EXPECT_EQ(cellOf(table.get(), row[0], L"date_due"), row[1]) << row[0];

    // A refill computes against the date it is given; the columns stay as they are.
    ASSERT_TRUE(ClosedFund::fillFundTable(db.get(), table.get(), L"2027-06-30"));
    EXPECT_EQ(cellReader(table.get())->getColumnCount(), 25);
    EXPECT_EQ(cellOf(table.get(), L"100001", L"pricevalueyearincome"), L"20.00%");
    EXPECT_EQ(cellOf(table.get(), L"100003", L"pricevalueyearincome"), L"--");
    EXPECT_EQ(cellOf(table.get(), L"100001", L"date_due"), L"1.00");
    EXPECT_EQ(cellOf(table.get(), L"100006", L"date_due"), L"已到期");

    // Without a reference day every yield is "--"; the parser's day numbers are as measured.
    EXPECT_EQ(ClosedFund::yieldText(ClosedFund::dayNumber(L"2028-06-29"), ClosedFund::dayNumber(L""), 1.2, 1.0), L"--");
    EXPECT_EQ(ClosedFund::dayNumber(L"2015-06-30"), 42185.0);
    EXPECT_EQ(ClosedFund::dayNumber(L"20150630"), 0.0);
}

TEST(FundTable, DataDateIsReadKeptOrLeftAlone)
{
    TempDir sampleDir, emptyDir;
    XComPtr<IDatabaseHost> sample = makeDatabase(sampleDir, FundDb::Content::StandardSample);
    XStringW date = L"2010-03-05";
    EXPECT_TRUE(ClosedFund::readDataDate(sample.get(), date));
    EXPECT_EQ(date, L"2026-06-26");

    XComPtr<IDatabaseHost> empty = makeDatabase(emptyDir, FundDb::Content::SchemaOnly);
    date = L"2010-03-05";
    EXPECT_TRUE(ClosedFund::readDataDate(empty.get(), date)) << "no row is no failure";
    EXPECT_EQ(date, L"2010-03-05");

    EXPECT_FALSE(ClosedFund::readDataDate(nullptr, date));
    XStringW error;
    XComPtr<IDatabase> missing = FundDb::openFundDatabase(emptyDir.file(L"gone.db"), error);
    EXPECT_FALSE(ClosedFund::readDataDate(missing.get(), date));
    EXPECT_EQ(date, L"2010-03-05");
    XComPtr<IDataTable> table = newTable();
    EXPECT_FALSE(ClosedFund::fillFundTable(missing.get(), table.get(), kReference));
    EXPECT_TRUE(table->isEmpty());
}

// The client's interface alone (fillTable straight into the table, the yields written cell
// by cell) gives the table the host's fill service gives; a refill that brings no funds
// where there were some is a failure there, since the rows cannot be kept.
TEST(FundTable, TheContractFillGivesTheServiceFillsCellsAndCallsAnEmptyRefillAFailure)
{
    TempDir dir;
    XComPtr<IDatabaseHost> db = makeDatabase(dir, FundDb::Content::StandardSample);
    XComPtr<IDataTable> byService = newTable(), byContract = newTable();
    ASSERT_TRUE(ClosedFund::fillFundTable(db.get(), byService.get(), kReference));
    const XStringW query = ClosedFund::loadTextResource(ClosedFund::moduleInstance(), L"SQL", L"QUERY");
    XStringW error;
    ASSERT_TRUE(ClosedFund::refillFundTable(db.get(), query, byContract.get(), kReference, error))
        << Common::toUtf8(error);
    ASSERT_EQ(byContract->getRowCount(), 60);
    ASSERT_EQ(byContract->getRowCount(), byService->getRowCount());
    for (int c = 0; c < 25; ++c) {
        ASSERT_EQ(columnName(byContract.get(), c), columnName(byService.get(), c));
        EXPECT_EQ(byContract->getColumn(c)->getValueType(), byService->getColumn(c)->getValueType()) << c;
    }
    int differences = 0;
    for (int r = 0; r < byService->getRowCount() && differences < 5; ++r) {
        XComPtr<IDataRow> a = byService->getRow(r), b = byContract->getRow(r);
        for (int c = 0; c < 25; ++c) {
            XComPtr<IColumnItem> x = a->getItemAt(c), y = b->getItemAt(c);
            if (x->isNull() == y->isNull() && x->getText() == y->getText()) continue;
            ++differences;
            ADD_FAILURE() << "row " << r << " " << Common::toUtf8(columnName(byService.get(), c)) << ": "
                          << Common::toUtf8(x->getText()) << " / " << Common::toUtf8(y->getText());
        }
    }

    exec(db.get(), L"delete from tb_closedfund");
    EXPECT_FALSE(ClosedFund::refillFundTable(db.get(), query, byContract.get(), kReference, error));
    EXPECT_EQ(error, ClosedFund::kNoFundsReturned);
}

TEST(FundTable, UnpreparableStatementsShowTheErrorBoxAndKeepTheRows)
{
    TempDir goodDir, badDir;
    XComPtr<IDatabaseHost> good = makeDatabase(goodDir, FundDb::Content::StandardSample);
    XComPtr<IDataTable> table = newTable();
    ASSERT_TRUE(ClosedFund::fillFundTable(good.get(), table.get(), kReference));
    XComPtr<IDatabaseHost> bad = makeDatabase(badDir, FundDb::Content::SchemaOnly);
    exec(bad.get(), L"drop table tb_closedfund");

    for (int attempt = 0; attempt < 2; ++attempt) {
        TestSupport::ModalDriver driver;
        driver.answerMessageBox(IDOK);
        XStringW date = L"2026-06-26";
        EXPECT_FALSE(ClosedFund::readDataDate(bad.get(), date));
        EXPECT_EQ(driver.pending(), 0u) << "no message box was shown";
        EXPECT_EQ(driver.lastCaption(), L"ERROR");
        EXPECT_NE(driver.lastText().find(L"no such table: tb_closedfund"), std::wstring::npos)
            << Common::toUtf8(driver.lastText());
        EXPECT_EQ(date, L"2026-06-26");
    }

    EXPECT_FALSE(ClosedFund::fillFundTable(bad.get(), table.get(), kReference));
    EXPECT_EQ(table->getRowCount(), 60);
    EXPECT_EQ(cellOf(table.get(), L"184688", L"name"), L"示例基金001");
    EXPECT_EQ(cellReader(table.get())->getColumnCount(), 25);
}

namespace {

// The yield text as the parser and the C runtime's formatter give it, cell by cell by name:
// what every yield was before the fill read dates and wrote percents itself.
XStringW platformYield(IDataRow* row, double referenceDay)
{
    XComPtr<IColumnItem> expiry = row->getItem(L"expiredate"), value = row->getItem(L"value"),
                         price = row->getItem(L"price");
    if (value->isNull() || price->isNull()) return L"--";
    XStringW text = expiry->getText();
    double expiryDay = text == L"0001-01-01" ? 0.0 : ClosedFund::dayNumber(text);
    double years = (expiryDay - referenceDay) / 365.0;
    if (-referenceDay / 365.0 == years || expiryDay / 365.0 == years || years == 0.0) return L"--";
    double p = price->getDouble();
    double yield = ((value->getDouble() - p) / years) / p;
    if (p == 0.0 || !std::isfinite(yield)) return L"--";
    wchar_t out[64];
    std::swprintf(out, 64, L"%0.2f%%", yield * 100.0);
    return out;
}

void expectPlatformYields(IDatabaseHost* db, const XStringW& reference, int expectedRows)
{
    XComPtr<IDataTable> table = newTable();
    ASSERT_TRUE(ClosedFund::fillFundTable(db, table.get(), reference)) << Common::toUtf8(db->getLastError());
    ASSERT_EQ(table->getRowCount(), expectedRows);
    double referenceDay = ClosedFund::dayNumber(reference);
    int column = table->getColumnIndex(L"pricevalueyearincome"), termColumn = table->getColumnIndex(L"date_due");
    int mismatches = 0;
    XStringW text, term;
    for (int i = 0; i < table->getRowCount() && mismatches < 5; ++i) {
        cellReader(table.get())->readTextAt(i, column, text);
        cellReader(table.get())->readTextAt(i, termColumn, term);
        XComPtr<IDataRow> row = table->getRow(i);
        XStringW expected = platformYield(row.get(), referenceDay);
        // The remaining term by the parser and the runtime's "%.2f".
        XStringW expiry = row->getItem(L"expiredate")->getText();
        double expiryDay = expiry == L"0001-01-01" ? 0.0 : ClosedFund::dayNumber(expiry);
        wchar_t years[64];
        std::swprintf(years, 64, L"%.2f", (expiryDay - referenceDay) / 365.0);
        XStringW expectedTerm = expiryDay == 0.0 || expiryDay == -1.0 ? XStringW(L"--")
                                : expiryDay < referenceDay            ? XStringW(L"已到期")
                                                                      : XStringW(years);
        if (text == expected && term == expectedTerm) continue;
        ++mismatches;
        ADD_FAILURE() << "row " << i << ": " << Common::toUtf8(text) << " " << Common::toUtf8(term) << " instead of "
                      << Common::toUtf8(expected) << " " << Common::toUtf8(expectedTerm);
    }
}

} // namespace

// The fill reads stored dates and writes percents without the platform's parser and
// formatter; every yield must still be the text those give.
TEST(FundTable, YieldsMatchThePlatformParserAndFormatter)
{
    TempDir sampleDir, bigDir;
    XComPtr<IDatabaseHost> sample = makeDatabase(sampleDir, FundDb::Content::StandardSample);
    expectPlatformYields(sample.get(), kReference, 60);
    expectPlatformYields(sample.get(), L"2030-01-31", 60);

    XStringW error;
    ASSERT_TRUE(FundDb::writeFundDatabase(bigDir.file(L"big.db"), FundDb::Content::Synthetic, 100000, false, error));
    XComPtr<IDatabaseHost> big = FundDb::openFundDatabase(bigDir.file(L"big.db"), error);
    expectPlatformYields(big.get(), kReference, 100000);

    // Dates the direct reading must leave to the parser or read as it does: leap days,
    // impossible days, early years, other forms.
    for (const wchar_t* text : {L"2016-02-29", L"2015-02-29", L"2100-02-29", L"2000-02-29", L"2015-13-01",
                                L"2015-00-10", L"1900-01-01", L"1899-12-30", L"0999-05-05", L"9999-12-31", L"2015-6-30",
                                L"2015/06/30", L" 2015-06-30", L"2015-06-3x", L""}) {
        ClosedFund::DayNumbers days;
        EXPECT_EQ(days.of(text), ClosedFund::dayNumber(text)) << Common::toUtf8(text);
    }
    ClosedFund::DayNumbers days;
    const double first = ClosedFund::dayNumber(L"1990-01-01"), last = ClosedFund::dayNumber(L"2060-01-01");
    for (int step = 0; first + 13.0 * step < last; ++step) {
        double day = first + 13.0 * step;
        SYSTEMTIME t;
        VariantTimeToSystemTime(day, &t);
        wchar_t text[16];
        std::swprintf(text, 16, L"%04d-%02d-%02d", t.wYear, t.wMonth, t.wDay);
        ASSERT_EQ(days.of(text), day) << Common::toUtf8(text);
    }
    // Percents on and near half cents, negative zero, large and tiny values.
    for (double percent :
         {0.125, 0.135, -0.125, 1.005, 2.675, -0.0, -0.001, 0.004999999, 12345678.905, 1e12, -7.5e-3, 99.995, 0.0}) {
        wchar_t expected[64], text[ClosedFund::kYieldTextSize];
        // value 1 + percent / 100 at price 1 over one year of 365 days gives the percent back.
        double value = 1.0 + percent / 100.0, reference = 40000.0;
        double yield = (value - 1.0) * 100.0;
        std::swprintf(expected, 64, L"%0.2f%%", yield);
        ClosedFund::writeYieldText(reference + 365.0, reference, value, 1.0, text);
        EXPECT_STREQ(text, expected) << percent;
    }
    // Expired a year ago at no discount: a negative zero, printed as the runtime prints it.
    wchar_t expected[64], text[ClosedFund::kYieldTextSize];
    std::swprintf(expected, 64, L"%0.2f%%", ((1.0 - 1.0) / -1.0) / 1.0 * 100.0);
    ClosedFund::writeYieldText(40000.0 - 365.0, 40000.0, 1.0, 1.0, text);
    EXPECT_STREQ(text, expected);
}

// The query joins tb_closedfund with itself by code: where codes repeat, rows multiply. The
// fill stops at ten rows per fund (at least 1000), says so, and keeps the rows it had.
TEST(FundTable, RepeatedCodesStopAtTheRowBoundAndKeepTheRows)
{
    TempDir goodDir, badDir;
    XComPtr<IDatabaseHost> good = makeDatabase(goodDir, FundDb::Content::StandardSample);
    XComPtr<IDataTable> table = newTable();
    ASSERT_TRUE(ClosedFund::fillFundTable(good.get(), table.get(), kReference));
    EXPECT_EQ(ClosedFund::fundRowBound(good.get()), 1000);

    XComPtr<IDatabaseHost> bad = makeDatabase(badDir, FundDb::Content::StandardSample);
    exec(bad.get(), L"create table keyless as select * from tb_closedfund");
    exec(bad.get(), L"drop table tb_closedfund");
    exec(bad.get(), L"alter table keyless rename to tb_closedfund");
    for (int i = 0; i < 6; ++i) exec(bad.get(), L"insert into tb_closedfund select * from tb_closedfund");
    EXPECT_EQ(ClosedFund::fundRowBound(bad.get()), 38400) << "60 funds, each 64 times";

    EXPECT_FALSE(ClosedFund::fillFundTable(bad.get(), table.get(), kReference));
    EXPECT_NE(bad->getLastError().find(L"more rows than expected"), std::wstring::npos)
        << Common::toUtf8(bad->getLastError());
    EXPECT_EQ(table->getRowCount(), 60);
    EXPECT_EQ(cellOf(table.get(), L"184688", L"name"), L"示例基金001");
}
