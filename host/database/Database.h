// The fund database: the host's IDatabase over one SQLite file, and the writer of new
// fund databases (schema, the labelled sample, synthetic funds for scale work).
#pragma once
#include "hostapi/DatabaseHost.h"

namespace FundDb {

// Readers never write: a read-only connection cannot turn an empty file into a database
// or change the journal mode of one that another program owns. Only the test fixtures that
// build their own rows open for writing.
enum class Access { ReadOnly, ReadWrite };

// Opens the fund database at path. Always returns an object: when the file is missing, is
// not a SQLite database or cannot be read, isOpen is false and getLastError says why, so the
// caller holds a closed database rather than nothing. A missing file is never created, and
// a file opened read-only keeps every byte it had.
XComPtr<Host::IDatabaseHost> openFundDatabase(const XStringW& path, XStringW& error, Access access = Access::ReadOnly);

// A closed database's reason as a person is told it ("基金数据库已损坏").
XStringW openFailureText(Host::OpenFailure failure);

// What a new fund database holds besides its tables.
enum class Content {
    SchemaOnly,     // the tables, no rows
    StandardSample, // the deterministic, labelled sample of about 60 funds (data date 2026-06-26)
    CurrentSample,  // the same sample dated the last weekday on or before today's local date,
                    // as the client writes it on first run: it shows current-looking yields
    Synthetic       // syntheticFunds made-up funds, for scale work
};

// Writes a new fund database at path. An existing file is refused unless overwrite is set.
// The file is built under a temporary name beside path and renamed when complete, so a
// failure leaves no half-written database behind. False with error on failure.
bool writeFundDatabase(const XStringW& path, Content content, int syntheticFunds, bool overwrite, XStringW& error);

// The SQL that creates every table and index of a fund database.
const char* fundSchemaSql();

} // namespace FundDb
