// The columns a numeric condition can be set on, as the grid's default header shows them:
// caption, unit, and the arithmetic and decimals of the column's format (a percentage shown
// ×100 with two decimals, a fund's size in 亿份), so that a condition compares the number a
// person reads. Hidden columns are included: a condition may narrow by what is not shown.
#pragma once
#include "filter/NumericRange.h"
#include <vector>

namespace ClosedFund {

// In the header's order; a column the header lacks is left out.
std::vector<NumericColumn> numericColumns(const Common::XStringW& headerXml);

} // namespace ClosedFund
