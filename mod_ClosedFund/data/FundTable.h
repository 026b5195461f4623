// Filling the closed-fund table: the data date, the stored query, and of every fund the
// remaining term ("date_due") and the annualised discount yield ("pricevalueyearincome").
#pragma once
#include "host/Database.h"
#include <string>
#include <unordered_map>

namespace ClosedFund {

// The statement whose first row's first column is the data date.
extern const wchar_t* const kDataDateSql;
// What the database stores for "no date".
extern const wchar_t* const kNoDate;

// Today's local date as "2010-03-05", the reference date of the yields.
XStringW localReferenceDate();

// The day number (days since 1899-12-30) of a date text, read by the platform's parser in
// the user's default locale: 0 when the parser says it is not a date (an empty text among
// them), -1 for any other failure (a date out of the parser's range).
double dayNumber(const XStringW& text);

// Day numbers of date texts. The stored form "2015-06-30" is read directly (the same
// number the platform's parser gives); any other text goes to the parser once per distinct
// text, since the parser is slow (tens of microseconds) and funds share few odd dates.
class DayNumbers {
public:
    double of(const XStringW& text);
    double of(const wchar_t* chars, size_t length);
private:
    std::unordered_map<std::wstring, double> days_;
};

// The yield text of one fund: "12.34%", or "--" when it cannot be computed (no expiry or
// reference day, expiry on the reference day, no value, no price).
XStringW yieldText(double expiryDay, double referenceDay, double value, double price);

// The same text written into out (at least kYieldTextSize characters, terminated); returns
// its length. Neither allocates nor calls the C runtime's formatter for ordinary yields.
const size_t kYieldTextSize = 48;
size_t writeYieldText(double expiryDay, double referenceDay, double value, double price, wchar_t* out);

// The remaining term ("date_due") of a fund that has expired, and of one without an expiry.
extern const wchar_t* const kExpiredTerm;
extern const wchar_t* const kNoTerm;
// The remaining term as years from the reference day to the expiry day, with two decimals
// ("1.75", "0.00" on the day itself): kExpiredTerm past expiry, kNoTerm when either day
// number stands for no date. A text column of such numbers sorts by the number.
XStringW remainingTermText(double expiryDay, double referenceDay);

// Reads the data date into dataDate without showing anything. False, with dataDate unchanged
// and the reason in error (the database's own text; empty without a database), when there is
// no open database or the date statement cannot be prepared. A statement without a row
// keeps dataDate.
bool queryDataDate(Host::IDatabase* db, XStringW& dataDate, XStringW& error);

// Reads the data date into dataDate. False, with dataDate unchanged, when there is no open
// database (silently) or the date statement cannot be prepared (after a message box with
// the database's error text under "ERROR"). A statement without a row keeps dataDate.
bool readDataDate(Host::IDatabase* db, XStringW& dataDate);

// The most rows the stored query may give: ten per fund of tb_closedfund, at least 1000.
// The query joins tb_closedfund with itself by code, so a database whose codes repeat (no
// key keeps them apart) would otherwise give the square of its rows.
int fundRowBound(Host::IDatabase* db);

// Runs the stored query "QUERY" into staging, a table with no rows or columns yet, and
// writes each row's yield against referenceDate. It touches nothing the user sees, so it
// may run on any thread. False, with the reason in error, when the query failed.
bool fillStagingTable(Host::IDatabase* db, Host::IDataTable* staging, const XStringW& referenceDate, XStringW& error);

// Puts the rows of a filled staging table in place of the fund table's, inside one update
// bracket, so that its views rebuild once. False when staging is not a kernel table.
bool adoptFundRows(Host::IDataTable* table, Host::IDataTable* staging);

// Runs the stored query into the table and writes each row's yield against referenceDate,
// through a staging table swapped in on success. False when the query failed; the table
// then keeps its rows (and their yields), and the reason is the database's getLastError.
bool fillFundTable(Host::IDatabase* db, Host::IDataTable* table, const XStringW& referenceDate);

// Writes the remaining term ("date_due") and the yield text of every row of a filled table,
// reading cells by column index.
void fillDerivedColumns(Host::IDataTable* table, const XStringW& referenceDate);

} // namespace ClosedFund
