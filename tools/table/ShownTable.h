// The closed-fund table as the page shows it, read from the module's own grid without a
// window: the shown columns of the header with their captions, and every row's cell texts
// exactly as the grid formats them. The printer and the export of the tools share it.
#pragma once
#include "grid/ClosedFundGrid.h"
#include "host/Database.h"
#include "host/Theme.h"
#include <vector>

namespace FundTableText {

enum class Align { Left, Center, Right };

struct ShownColumn {
    Common::XStringW name;     // the field the column shows
    Common::XStringW caption;  // "group title" + " " + column title for a column in a group
    Align align = Align::Left; // as the header's `align` says; left when absent
    Common::XStringW title;    // the column's own title, as it stands under its group's
};

struct ShownTable {
    std::vector<ShownColumn> columns;
    std::vector<std::vector<Common::XStringW>> rows; // one text per shown column
};

// The themes shipped beside the running program (the "themes" folder next to it).
Common::XStringW shippedThemeFolder();

// The column of the grid's header that info names, with its caption and alignment.
ShownColumn shownColumn(const Control::HeaderInfo2& info);

// Loads grid the way the page's reload does, without a window and without a user's stored
// header: the data date of db (the reference date when db has no row), the fund table filled
// by the module's query with yields as of referenceDate, theme applied, the default header
// with the data date in its group caption, the sorted view rebuilt. The grid needs a theme
// only because a header set on a grid without one is dropped. False with error (nothing
// shown on screen, in the words a person is shown) when the theme or the database cannot
// be read.
bool loadFundGrid(ClosedFund::closedFundGrid& grid, Host::IDatabase* db, Host::ITheme* theme,
                  const Common::XStringW& referenceDate, Common::XStringW& error);

// The grid's shown columns and rows, texts by the grid's own GetItemText.
ShownTable shownTable(ClosedFund::closedFundGrid& grid);

} // namespace FundTableText
