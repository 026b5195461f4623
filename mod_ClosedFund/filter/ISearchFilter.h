// A keyword row filter: keeps a row when any keyword occurs, ignoring case, inside the text
// of any of its columns. The filter bar fills one per keyword condition and installs it on
// the grid's view.
#pragma once
#include "host/Data.h"

namespace ClosedFund {

struct ISearchFilter : Host::IDataFilter {
    virtual void ClearColumns() = 0;
    // Appends the column name unless it is already there; null is ignored.
    virtual void AddColumn(const wchar_t* column) = 0;
    virtual void ClearKeywords() = 0;
    // Stores a lower-cased copy unless an equal keyword is already there. Null and empty
    // keywords are ignored: an empty keyword would match every non-empty text.
    virtual void AddKeyword(const wchar_t* keyword) = 0;
};

} // namespace ClosedFund
