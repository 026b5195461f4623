// What the export suites share: the grid as a person sees it (the shown captions and cells),
// and exported files read back by independent readers through tests/grid/readback.py:
// Python's csv module for the text files, openpyxl and LibreOffice (when installed) for
// workbooks. Wine starts the Linux program; its process handle cannot be waited on, so the
// reader's report file is awaited instead. Each reader returns "OK", "SKIP: reason" or the
// first difference.
#pragma once
#include "FundGridFixture.h"
#include "TempDir.h"
#include <string>
#include <vector>

namespace FundGridTests {

using Records = std::vector<std::vector<std::wstring>>;

// Python's csv module: encoding "utf-16" or "utf-8-sig", delimiter "comma" or "tab"; every
// record must equal the expected one.
std::string readBackText(const TestSupport::TempDir& dir, const std::wstring& file, const char* encoding,
                         const char* delimiter, const Records& expected);

// What a workbook must hold: its one sheet's name, each column's kind ("text", "number",
// "date") and the grid's width in pixels (0 for none), and the captions and rows as the grid
// shows them. A text reads back exactly; a number or date reads as the grid showed it, and a
// text that reads as a number or date in such a column is a fault.
struct ExpectedSheet {
    std::wstring sheet;
    std::vector<std::string> kinds;
    std::vector<int> widths;
    Records rows;
};

// openpyxl: every cell's type, value and number format, the frozen bold captions, widths.
std::string readBackWorkbook(const TestSupport::TempDir& dir, const std::wstring& file, const ExpectedSheet& expected);
// LibreOffice's own import, converted headless to text as shown: every cell as the grid
// showed it. "SKIP: ..." when soffice is not installed.
std::string readBackInOffice(const TestSupport::TempDir& dir, const std::wstring& file, const ExpectedSheet& expected);

// The text without its NULs, as every export writes it.
std::wstring withoutNuls(std::wstring text);

class ExportTest : public FundGridTest {
protected:
    // The captions and cells the grid paints: every shown column, every shown row.
    Records shown(const std::vector<std::wstring>& captions);
    // The grid's width of each shown column, in pixels.
    std::vector<int> shownWidths();
    // An export to path fails with a reason that names it.
    void exportFails(const std::wstring& path, int type = 1);
};

} // namespace FundGridTests
