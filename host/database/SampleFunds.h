// Inside the database library: the rows of the sample and synthetic fund databases.
#pragma once
#include "host/IXUnknown.h"
#include <sqlite3.h>
#include <string>

namespace FundDb {

// The date of the deterministic sample's net values; its tb_closedfund rows all carry it.
extern const char* const kSampleDataDate;

// The standard sample: about 60 made-up funds of 20 made-up companies, labelled as sample
// data in tb_sampleinfo, with the awkward cases the fund page must survive. dataDate
// ("YYYY-MM-DD") is the date of its net values; every other date keeps its distance to it,
// so a fund that has expired, expires soon or far away does so whatever the date. The same
// dataDate always writes the same rows.
bool insertStandardSample(sqlite3* db, const std::string& dataDate, XStringW& error);
// count made-up funds with the same mix of cases, for scale work.
bool insertSyntheticFunds(sqlite3* db, int count, XStringW& error);

// The last weekday (Monday to Friday) on or before the given calendar date, as
// "YYYY-MM-DD": the day funds last published net values.
std::string lastWeekdayOnOrBefore(int year, int month, int day);

} // namespace FundDb
