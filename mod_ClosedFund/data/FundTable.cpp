#include "data/FundTable.h"
#include "base/ModuleHandle.h"
#include "base/Resources.h"
#include <windows.h>
#include <oleauto.h>
#include <cmath>

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

double DayNumbers::of(const XStringW& text)
{
    auto found = days_.find(text);
    if (found != days_.end()) return found->second;
    double day = dayNumber(text);
    days_.emplace(text, day);
    return day;
}

// The zero tests compare years with what a zero day number would give, so an expiry or
// reference day of 0 (a text that is no date) yields no number. Beyond that, a fund whose
// expiry is the reference day, or that has no price, has no finite yield either.
XStringW yieldText(double expiryDay, double referenceDay, double value, double price)
{
    double years = (expiryDay - referenceDay) / 365.0;
    if (-referenceDay / 365.0 == years || expiryDay / 365.0 == years) return kNoYield;
    if (years == 0.0 || price == 0.0) return kNoYield;
    double yield = ((value - price) / years) / price;
    if (!std::isfinite(yield)) return kNoYield;
    XStringW text;
    text.format(L"%0.2f%%", yield * 100.0);
    return text;
}

// A day number that stands for no date: the parser refused the text (0) or failed (-1).
static bool isNoDay(double day) { return day == 0.0 || day == -1.0; }

XStringW remainingTermText(double expiryDay, double referenceDay)
{
    if (isNoDay(expiryDay) || isNoDay(referenceDay)) return kNoTerm;
    double years = (expiryDay - referenceDay) / 365.0;
    if (years < 0) return kExpiredTerm;
    XStringW text;
    text.format(L"%.2f", years);
    return text;
}

// "0001-01-01" means the fund has no expiry; the parser would read it as 2001-01-01 and
// give a yield against a date that never was, so it counts as no date. A fund without a
// value or a price (NULL cells read as 0) has no yield either.
void fillDerivedColumns(Host::IDataRow* row, double referenceDay, DayNumbers& days)
{
    if (!row) return;
    XComPtr<Host::IColumnItem> expiry = row->getItem(L"expiredate");
    XStringW expiryText = expiry ? expiry->getText() : XStringW();
    double expiryDay = !expiry || expiryText == kNoDate ? 0.0 : days.of(expiryText);
    if (XComPtr<Host::IColumnItem> term = row->getItem(L"date_due"))
        term->setText(remainingTermText(expiryDay, referenceDay));
    XComPtr<Host::IColumnItem> yield = row->getItem(L"pricevalueyearincome");
    if (!yield) return;
    XComPtr<Host::IColumnItem> value = row->getItem(L"value");
    XComPtr<Host::IColumnItem> price = row->getItem(L"price");
    if (!expiry || !value || !price || value->isNull() || price->isNull()) {
        yield->setText(kNoYield);
        return;
    }
    yield->setText(yieldText(expiryDay, referenceDay, value->getDouble(), price->getDouble()));
}

bool queryDataDate(Host::IDatabase* db, XStringW& dataDate, XStringW& error)
{
    error.clear();
    if (!db) return false;
    if (!db->isOpen()) {
        error = db->getLastError();
        return false;
    }
    XComPtr<Host::IStatement> statement = db->prepare(kDataDateSql, error);
    if (!statement) return false;
    if (statement->step()) dataDate = statement->getText(0);
    return true;
}

bool readDataDate(Host::IDatabase* db, XStringW& dataDate)
{
    XStringW error;
    if (queryDataDate(db, dataDate, error)) return true;
    // A closed database stays quiet here; only a statement that fails is shown.
    if (db && db->isOpen()) MessageBoxW(nullptr, error.c_str(), L"ERROR", MB_OK);
    return false;
}

bool fillFundTable(Host::IDatabase* db, Host::IDataTable* table, const XStringW& referenceDate)
{
    if (!db || !table) return false;
    XStringW query = loadTextResource(moduleInstance(), L"SQL", L"QUERY");
    XComPtr<Host::IUpdateContext> bracket = table->beginUpdate();
    if (!db->fillTable(query, table, table->isEmpty(), 0)) {
        if (bracket) bracket->endUpdate();
        return false;
    }
    // Both columns are blanks in the query; the yield column then holds text.
    for (const wchar_t* name : {L"date_due", L"pricevalueyearincome"}) {
        XComPtr<Host::IColumnItem> column = table->getColumn(table->getColumnIndex(name));
        if (column) column->setValueType(Host::VALUE_TEXT);
    }
    DayNumbers days;
    double referenceDay = days.of(referenceDate);
    int rows = table->getRowCount();
    for (int i = 0; i < rows; ++i) fillDerivedColumns(table->getRow(i).get(), referenceDay, days);
    if (bracket) bracket->endUpdate();
    return true;
}

} // namespace ClosedFund
