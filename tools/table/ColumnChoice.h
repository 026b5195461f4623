// The columns a person asks the printer for, by the captions the page shows: any column of
// the grid's header, shown or hidden, in the order asked, so that "代码,折价率,剩余期限"
// prints those three whatever the default header shows.
#pragma once
#include "table/ShownTable.h"
#include <vector>

namespace FundTableText {

// The names of a list such as "代码,折价率" (a full-width comma "，" separates too), blanks
// around each name dropped, empty names left out.
std::vector<Common::XStringW> columnNames(const Common::XStringW& list);

// Every column of the grid's header, shown or hidden, in the header's order.
std::vector<ShownColumn> headerColumns(ClosedFund::closedFundGrid& grid);

// The columns named, in the order named (a name given twice counts once), and every row's
// cells as the grid formats them. A name is a column's own title ("单位净值") or its whole
// caption ("2026-06-26 单位净值"). False, with error naming what matches no column and
// listing the titles that do, when a name is unknown or none is given.
bool chosenTable(ClosedFund::closedFundGrid& grid, const std::vector<Common::XStringW>& names, ShownTable& table,
                 Common::XStringW& error);

} // namespace FundTableText
