// A workbook of one sheet (SpreadsheetML in a zip package), written in one pass: the caption
// row, bold and frozen, then each row's cells as they come, appended to a buffer that is
// deflated into the package as it fills, so a list of any length never stands in memory
// whole. Every cell is typed from the text the grid shows (see SheetCells.h): numbers and
// dates under the format that shows them as the screen did, everything else as text, which
// no reader evaluates, so a text is written as it is (a text that repeats, once, in the
// shared table). An empty cell is left blank.
#pragma once
#include "common/XString.h"
#include "export/SheetCells.h"
#include "export/ZipWriter.h"
#include <string>
#include <unordered_map>
#include <vector>

namespace ClosedFund {

struct SheetColumn {
    Common::XStringW caption;
    int widthPixels = 0; // the grid's width of the column; 0 leaves the reader's own
    SheetKind kind = SheetKind::Text;
    // How the grid writes this column's numbers: the user's punctuation for a column it
    // formats, the stored text's '.' and ',' otherwise.
    wchar_t decimalPoint = L'.';
    wchar_t groupSeparator = L',';
};

class WorkbookWriter {
public:
    // The most rows a sheet holds, the caption row included, and the most columns.
    static const size_t kMaxRows = 1048576;
    static const size_t kMaxColumns = 16384;

    // True when a list of rows and columns fits one sheet; otherwise why says so.
    static bool fits(size_t rows, size_t columns, std::wstring& why);

    explicit WorkbookWriter(ByteSink& sink);
    WorkbookWriter(const WorkbookWriter&) = delete;
    WorkbookWriter& operator=(const WorkbookWriter&) = delete;
    ~WorkbookWriter();

    // The package's fixed parts and the caption row; rows is the number of rows that follow.
    // False (see error) when the rows or columns do not fit a sheet.
    bool begin(const Common::XStringW& sheetName, const std::vector<SheetColumn>& columns, size_t rows);
    // The next cell of the current row, as the grid shows it; cells past the last column
    // are ignored.
    void cell(const Common::XStringW& shown);
    bool endRow();
    // The end of the sheet, the styles its cells used and the zip's directory.
    bool finish();

    // Characters left out because XML cannot hold them (see XmlText.h), captions included.
    size_t dropped() const { return dropped_; }
    // Why the workbook could not be written; empty while all is well.
    std::wstring error() const;

private:
    void beginRow();
    void textCell(const Common::XStringW& text, int style);
    void valueCell(const std::string& value, int style);
    void cellStart(int style);
    int addStyle(const std::string& format);
    int styleOf(int formatKey);
    int dateStyle();
    bool flushSheet(bool force);
    std::string stylesPart() const;

    ZipWriter zip_;
    std::vector<SheetColumn> columns_;
    std::vector<std::string> letters_; // each column's name: "A", "B", ..., "AA"
    size_t rows_ = 0;                  // rows promised, the caption row not counted
    size_t row_ = 0;                   // the current row, 1 for the captions
    size_t column_ = 0;                // the next cell's column
    bool inRow_ = false;
    bool gap_ = false;                    // a blank cell went before: the next one names its place
    std::string rowNumber_;               // row_ as text
    std::string xml_;                     // sheet text not yet deflated
    std::vector<int> stylesByKey_;        // format key to cell style; -1 for none yet
    std::vector<std::string> formats_;    // the number format of each style from the third on
    std::vector<std::string> styleNames_; // each style's number as text
    int dateStyle_ = -1;
    // The shared texts: at most kSharedTexts of at most kSharedLength characters. A column
    // keeps being looked up only while at least half of its first kSharingTrial texts were
    // found there.
    static const size_t kSharedTexts = 1 << 16;
    static const size_t kSharedLength = 64;
    static const uint32_t kSharingTrial = 256;
    struct Sharing {
        uint32_t tries = 0, hits = 0;
        bool worth = true;
    };
    std::unordered_map<std::wstring, uint32_t>::iterator addShared(const std::wstring& text);
    std::unordered_map<std::wstring, uint32_t> shared_;
    std::vector<Sharing> sharing_; // per column
    std::string sharedXml_;        // their entries, in order
    size_t sharedUses_ = 0;
    ShownNumber number_;
    size_t dropped_ = 0;
    std::wstring error_;
};

// The sheet name for a title: the characters a sheet name cannot hold ([ ] : * ? / \ and
// controls) left out, no apostrophe at either end, at most 31 characters; "工作表1" when
// nothing is left.
Common::XStringW sheetNameFor(const Common::XStringW& title);

} // namespace ClosedFund
