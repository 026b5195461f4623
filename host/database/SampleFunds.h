// Inside the database library: the rows of the sample and synthetic fund databases.
#pragma once
#include "host/IXUnknown.h"
#include <sqlite3.h>

namespace FundDb {

// The date of the sample's net values; its tb_closedfund rows all carry it.
extern const char* const kSampleDataDate;

// The standard sample: about 60 made-up funds of 20 made-up companies, labelled as sample
// data in tb_sampleinfo, with the awkward cases the fund page must survive. Deterministic.
bool insertStandardSample(sqlite3* db, XStringW& error);
// count made-up funds with the same mix of cases, for scale work.
bool insertSyntheticFunds(sqlite3* db, int count, XStringW& error);

} // namespace FundDb
