#include "data/FundTable.h"
#include "base/HostServices.h"
#include "base/ModuleHandle.h"
#include "base/Resources.h"
#include "data/CellReader.h"
#include "host/Kernel.h"
#include <windows.h>
#include <oleauto.h>
#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cwchar>

namespace ClosedFund {

const wchar_t* const kDataDateSql = L"select date from tb_closedfund limit 1";
const wchar_t* const kNoDate = L"0001-01-01";

const wchar_t* const kExpiredTerm = L"已到期";
const wchar_t* const kNoTerm = L"--";

static const wchar_t* const kNoYield = L"--";

XStringW localReferenceDate()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    XStringW text;
    text.format(L"%d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
    return text;
}

double dayNumber(const XStringW& text)
{
    DATE day = 0;
    HRESULT hr = VarDateFromStr(const_cast<OLECHAR*>(text.c_str()), LOCALE_USER_DEFAULT, 0, &day);
    if (SUCCEEDED(hr)) return day;
    return hr == DISP_E_TYPEMISMATCH ? 0.0 : -1.0;
}

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t year, int month, int day)
{
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool isLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int digitsAt(const wchar_t* text, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return -1;
        value = value * 10 + (text[i] - L'0');
    }
    return value;
}

// The day number of a text of the stored form "2015-06-30", or false for anything else.
// Years before 1900 are left to the platform's parser, whose reading of early and
// two-digit years is its own.
bool readStoredDate(const wchar_t* p, size_t length, double& day)
{
    if (length != 10 || p[4] != L'-' || p[7] != L'-') return false;
    int year = digitsAt(p, 4), month = digitsAt(p + 5, 2), dayOfMonth = digitsAt(p + 8, 2);
    if (year < 1900 || month < 1 || month > 12 || dayOfMonth < 1) return false;
    static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int last = kMonthDays[month - 1] + (month == 2 && isLeap(year) ? 1 : 0);
    if (dayOfMonth > last) return false;
    day = double(daysFromCivil(year, month, dayOfMonth) - daysFromCivil(1899, 12, 30));
    return true;
}

size_t copyText(const wchar_t* text, wchar_t* out)
{
    size_t n = wcslen(text);
    wmemcpy(out, text, n + 1);
    return n;
}

// x with two decimals ("%.2f"), then suffix, as the C runtime prints it. Whole hundredths
// are counted directly unless x lies so near a half hundredth that the product's rounding
// could decide the last digit; those, and very large values, go to the runtime's formatter.
size_t writeTwoDecimals(double x, const wchar_t* suffix, wchar_t* out)
{
    double scaled = std::fabs(x) * 100.0;
    double whole = std::floor(scaled);
    double fraction = scaled - whole;
    if (!(scaled < 1e9) || std::fabs(fraction - 0.5) < 1e-6)
        return size_t(std::max(0, std::swprintf(out, kYieldTextSize, L"%.2f%ls", x, suffix)));
    uint64_t hundredths = uint64_t(whole) + (fraction > 0.5 ? 1 : 0);
    wchar_t digits[24];
    int n = 0;
    for (uint64_t units = hundredths / 100; n == 0 || units; units /= 10) digits[n++] = wchar_t(L'0' + units % 10);
    size_t at = 0;
    if (std::signbit(x)) out[at++] = L'-';
    while (n) out[at++] = digits[--n];
    out[at++] = L'.';
    out[at++] = wchar_t(L'0' + hundredths % 100 / 10);
    out[at++] = wchar_t(L'0' + hundredths % 10);
    for (; *suffix; ++suffix) out[at++] = *suffix;
    out[at] = 0;
    return at;
}

} // namespace

double DayNumbers::of(const XStringW& text) { return of(text.c_str(), text.size()); }

double DayNumbers::of(const wchar_t* chars, size_t length)
{
    double day;
    if (readStoredDate(chars, length, day)) return day;
    XStringW text(chars, length);
    auto found = days_.find(text);
    if (found != days_.end()) return found->second;
    day = dayNumber(text);
    days_.emplace(text, day);
    return day;
}

// The zero tests compare years with what a zero day number would give, so an expiry or
// reference day of 0 (a text that is no date) yields no number. Beyond that, a fund whose
// expiry is the reference day, or that has no price, has no finite yield either.
size_t writeYieldText(double expiryDay, double referenceDay, double value, double price, wchar_t* out)
{
    double years = (expiryDay - referenceDay) / 365.0;
    if (-referenceDay / 365.0 == years || expiryDay / 365.0 == years) return copyText(kNoYield, out);
    if (years == 0.0 || price == 0.0) return copyText(kNoYield, out);
    double yield = ((value - price) / years) / price;
    if (!std::isfinite(yield)) return copyText(kNoYield, out);
    return writeTwoDecimals(yield * 100.0, L"%", out);
}

XStringW yieldText(double expiryDay, double referenceDay, double value, double price)
{
    wchar_t text[kYieldTextSize];
    size_t length = writeYieldText(expiryDay, referenceDay, value, price, text);
    return XStringW(text, length);
}

// A day number that stands for no date: the parser refused the text (0) or failed (-1).
static bool isNoDay(double day) { return day == 0.0 || day == -1.0; }

XStringW remainingTermText(double expiryDay, double referenceDay)
{
    if (isNoDay(expiryDay) || isNoDay(referenceDay)) return kNoTerm;
    double years = (expiryDay - referenceDay) / 365.0;
    if (years < 0) return kExpiredTerm;
    wchar_t text[kYieldTextSize];
    size_t length = writeTwoDecimals(years, L"", text);
    return XStringW(text, length);
}

// "0001-01-01" means the fund has no expiry; the parser would read it as 2001-01-01 and
// give a yield against a date that never was, so it counts as no date. A fund without a
// value or a price (NULL cells) has no yield either. The remaining term needs only the
// expiry.
void fillDerivedColumns(Host::IDataTable* table, CellReader& cells, const XStringW& referenceDate)
{
    if (!table) return;
    int yield = table->getColumnIndex(L"pricevalueyearincome");
    int term = table->getColumnIndex(L"date_due");
    int expiry = table->getColumnIndex(L"expiredate");
    int value = table->getColumnIndex(L"value");
    int price = table->getColumnIndex(L"price");
    DayNumbers days;
    double referenceDay = days.of(referenceDate);
    XStringW expiryText;
    const size_t noDateLength = wcslen(kNoDate);
    wchar_t text[kYieldTextSize];
    int rows = table->getRowCount();
    for (int row = 0; row < rows; ++row) {
        double expiryDay = 0.0;
        const wchar_t* chars = nullptr;
        size_t length = 0;
        // The stored text where it lies; a number or NULL reads as the text it converts to.
        if (expiry >= 0 && !cells.textView(row, expiry, chars, length)) {
            cells.readText(row, expiry, expiryText);
            chars = expiryText.c_str();
            length = expiryText.size();
        }
        if (chars) {
            bool noDate = length == noDateLength && wmemcmp(chars, kNoDate, length) == 0;
            expiryDay = noDate ? 0.0 : days.of(chars, length);
        }
        if (term >= 0) {
            XStringW remaining = remainingTermText(expiryDay, referenceDay);
            cells.setText(row, term, remaining.c_str(), remaining.size());
        }
        if (yield < 0) continue;
        double v = 0, p = 0;
        if (expiry < 0 || value < 0 || price < 0 || !cells.readReal(row, value, v) || !cells.readReal(row, price, p)) {
            cells.setText(row, yield, kNoYield, 2);
            continue;
        }
        size_t written = writeYieldText(expiryDay, referenceDay, v, p, text);
        cells.setText(row, yield, text, written);
    }
}

void fillDerivedColumns(Host::IDataTable* table, const XStringW& referenceDate)
{
    CellReader cells(table);
    fillDerivedColumns(table, cells, referenceDate);
}

const wchar_t* const kNoFundsReturned = L"基金数据库没有返回任何基金";

XStringW closedDatabaseText(Host::IDatabase* db)
{
    XStringW error;
    Host::ITableFill* fill = HostServices::get().tableFill();
    if (db && fill && fill->lastError(db, error) && !error.empty()) return error;
    return L"无法打开基金数据库";
}

bool queryDataDate(Host::IDatabase* db, XStringW& dataDate, XStringW& error)
{
    error.clear();
    if (!db) return false;
    if (!db->isOpen()) {
        error = closedDatabaseText(db);
        return false;
    }
    XComPtr<Host::IStatement> statement = db->prepare(kDataDateSql, error);
    if (!statement) return false;
    if (statement->step()) dataDate = statement->getText(0);
    return true;
}

XStringW rowsDataDate(Host::IDataTable* table, const XStringW& fallback)
{
    if (!table || table->getRowCount() == 0) return fallback;
    XComPtr<Host::IDataRow> first = table->getRow(0);
    XComPtr<Host::IColumnItem> date = first ? first->getItem(L"date") : XComPtr<Host::IColumnItem>();
    return date ? date->getText() : fallback;
}

bool readDataDate(Host::IDatabase* db, XStringW& dataDate)
{
    XStringW error;
    if (queryDataDate(db, dataDate, error)) return true;
    // A closed database stays quiet here; only a statement that fails is shown.
    if (db && db->isOpen()) MessageBoxW(nullptr, error.c_str(), L"ERROR", MB_OK);
    return false;
}

XStringW fundQuery() { return loadTextResource(moduleInstance(), L"SQL", L"QUERY"); }

int fundRowBound(Host::IDatabase* db)
{
    const long long kLeast = 1000;
    XStringW error;
    XComPtr<Host::IStatement> count =
        db ? db->prepare(L"select count(*) from tb_closedfund", error) : XComPtr<Host::IStatement>();
    long long funds = count && count->step() ? _wtoi64(count->getText(0).c_str()) : 0;
    return int(std::min<long long>(std::max(kLeast, funds * 10), INT_MAX));
}

namespace {

std::atomic<unsigned> g_rowsGeneration{0};

// Both columns are blanks in the query; they hold texts, which sort by their leading number.
void typeDerivedColumns(Host::IDataTable* table)
{
    for (const wchar_t* name : {L"date_due", L"pricevalueyearincome"}) {
        XComPtr<Host::IColumnItem> column = table->getColumn(table->getColumnIndex(name));
        if (column) column->setValueType(Host::VALUE_TEXT);
    }
}

} // namespace

unsigned fundRowsGeneration() { return g_rowsGeneration.load(); }
void noteFundRowsReplaced() { ++g_rowsGeneration; }

bool fillStagingTable(Host::ITableFill* fill, Host::IDatabase* db, const XStringW& query, int rowBound,
                      Host::IDataTable* staging, CellReader& cells, const XStringW& referenceDate, XStringW& error)
{
    error.clear();
    if (!fill || !db || !staging) return false;
    if (!fill->fill(db, query, staging, rowBound, error)) return false;
    typeDerivedColumns(staging);
    fillDerivedColumns(staging, cells, referenceDate);
    return true;
}

// The table takes the query's value types on its first fill (or after invalidate), as a
// fill straight into it would; later fills keep the types the grid gave its columns.
bool adoptFundRows(Host::ITableFill* fill, Host::IDataTable* table, Host::IDataTable* staging)
{
    if (!fill || !table || !staging) return false;
    XComPtr<Host::IUpdateContext> bracket = table->beginUpdate();
    bool adopted = fill->adoptRows(table, staging, table->isEmpty());
    if (adopted) {
        // Before the bracket closes: the views' filters run then, over the new rows.
        noteFundRowsReplaced();
        typeDerivedColumns(table);
    }
    if (bracket) bracket->endUpdate();
    return adopted;
}

// A fill that went right leaves the table filled (no longer empty); with no rows where there
// were some, it is taken for one that failed.
bool refillFundTable(Host::IDatabase* db, const XStringW& query, Host::IDataTable* table, const XStringW& referenceDate,
                     XStringW& error)
{
    error.clear();
    if (!db || !table) return false;
    bool hadRows = table->getRowCount() > 0;
    XComPtr<Host::IUpdateContext> bracket = table->beginUpdate();
    db->fillTable(query, table, table->isEmpty(), 0);
    // Before the bracket closes: the views' filters run then, over the new rows.
    noteFundRowsReplaced();
    bool filled = !table->isEmpty() && !(hadRows && table->getRowCount() == 0);
    if (filled) {
        typeDerivedColumns(table);
        fillDerivedColumns(table, referenceDate);
    }
    if (bracket) bracket->endUpdate();
    if (!filled) error = kNoFundsReturned;
    return filled;
}

namespace {

bool fillThroughService(Host::ITableFill* fill, Host::IDatabase* db, const XStringW& query, Host::IDataTable* table,
                        const XStringW& referenceDate, XStringW& error)
{
    XComPtr<Host::IDataTable> staging = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
    if (!staging) return false;
    fill->reserveLike(staging.get(), table);
    CellReader cells(staging.get());
    if (!fillStagingTable(fill, db, query, fundRowBound(db), staging.get(), cells, referenceDate, error)) return false;
    return adoptFundRows(fill, table, staging.get());
}

} // namespace

bool fillFundTable(Host::IDatabase* db, Host::IDataTable* table, const XStringW& referenceDate, XStringW* error)
{
    XStringW reason;
    bool filled = false;
    if (db && table && !db->isOpen()) {
        reason = closedDatabaseText(db);
    } else if (db && table) {
        XStringW query = fundQuery();
        if (Host::ITableFill* fill = HostServices::get().workerFill())
            filled = fillThroughService(fill, db, query, table, referenceDate, reason);
        else if (db->prepare(query, reason))
            filled = refillFundTable(db, query, table, referenceDate, reason);
    }
    if (error) *error = reason;
    return filled;
}

} // namespace ClosedFund
