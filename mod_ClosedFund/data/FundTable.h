// Filling the closed-fund table: the data date, the stored query, and of every fund the
// remaining term ("date_due") and the annualised discount yield ("pricevalueyearincome").
#pragma once
#include "ext/TableFill.h"
#include "host/Database.h"
#include <string>
#include <unordered_map>

namespace ClosedFund {

class CellReader;

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
// and the reason in error, when there is no open database (closedDatabaseText) or the date
// statement cannot be prepared (the database's own text; empty without a database). A
// statement without a row keeps dataDate.
bool queryDataDate(Host::IDatabase* db, XStringW& dataDate, XStringW& error);

// The data date of a filled table's rows: the "date" cell of its first row, read by the
// stored query in the same statement as the rows (all of them share it), so that a date
// read apart from them cannot belong to another update. fallback when the table has no
// rows or no such column. Through the host contract: the thread that owns the table.
XStringW rowsDataDate(Host::IDataTable* table, const XStringW& fallback);

// Reads the data date into dataDate. False, with dataDate unchanged, when there is no open
// database (silently) or the date statement cannot be prepared (after a message box with
// the database's error text under "ERROR"). A statement without a row keeps dataDate.
bool readDataDate(Host::IDatabase* db, XStringW& dataDate);

// Why a database is not open: the host's own text when its fill service gives one, else a
// fixed one (the client's interface has no error text for it).
XStringW closedDatabaseText(Host::IDatabase* db);
// The failure of a refill that left no rows where there were some: the client's fillTable
// says nothing, and an empty result is taken for one.
extern const wchar_t* const kNoFundsReturned;

// The stored query "QUERY" of the module's resources.
XStringW fundQuery();

// The most rows the stored query may give: ten per fund of tb_closedfund, at least 1000.
// The query joins tb_closedfund with itself by code, so a database whose codes repeat (no
// key keeps them apart) would otherwise give the square of its rows. It prepares a
// statement: user-interface thread.
int fundRowBound(Host::IDatabase* db);

// The counter of fund-table refills in this process: whatever the module remembers of a
// table's rows (the value filter's texts) is stale once it moved on. The fills here note a
// refill before the views over the table rebuild; whoever refills a table another way and
// filters it again notes it too.
unsigned fundRowsGeneration();
void noteFundRowsReplaced();

// Through the table fill service (HostServices::workerFill). Runs query into staging, a new
// table of the host's without rows, at most rowBound rows, then writes each row's yield
// against referenceDate through cells (the staging table's fast access). It touches nothing
// the user sees and makes no other host call than on staging, so it may run on a worker
// that alone uses staging. False, with the service's reason in error, when the query failed.
bool fillStagingTable(Host::ITableFill* fill, Host::IDatabase* db, const XStringW& query, int rowBound,
                      Host::IDataTable* staging, CellReader& cells, const XStringW& referenceDate, XStringW& error);

// Puts the rows of a filled staging table in place of the fund table's through the service,
// inside one update bracket, so that its views rebuild once. False when the service refused.
bool adoptFundRows(Host::ITableFill* fill, Host::IDataTable* table, Host::IDataTable* staging);

// Through the host contract, on the user-interface thread: runs query (already prepared
// once, so that its error text was seen before anything changed) straight into the table
// with fillTable inside one update bracket, then writes each row's yield. False, with
// kNoFundsReturned in error, when the table had rows and has none now (they are lost: the
// contract offers no way to keep them), or when the table was never filled.
bool refillFundTable(Host::IDatabase* db, const XStringW& query, Host::IDataTable* table, const XStringW& referenceDate,
                     XStringW& error);

// The whole refill on the calling thread (the user-interface thread): through the fill
// service when there is one (the table keeps its rows when the query fails), else through
// the contract (prepare, then refillFundTable). False when the database is closed or the
// query failed, with the reason in error when given.
bool fillFundTable(Host::IDatabase* db, Host::IDataTable* table, const XStringW& referenceDate,
                   XStringW* error = nullptr);

// Writes the remaining term ("date_due") and the yield text of every row of a filled table,
// reading cells by column index through cells (a reader over table).
void fillDerivedColumns(Host::IDataTable* table, CellReader& cells, const XStringW& referenceDate);
// The same through a reader made here: user-interface thread.
void fillDerivedColumns(Host::IDataTable* table, const XStringW& referenceDate);

} // namespace ClosedFund
