#include "export/WorkbookWriter.h"
#include "export/XmlText.h"

namespace ClosedFund {

using Common::XStringW;

namespace {

const char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const char kMainNamespace[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char kRelationshipNamespace[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

const char kContentTypes[] =
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
    "<Override PartName=\"/xl/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
    "<Override PartName=\"/xl/sharedStrings.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
    "</Types>";

const char kPackageRelationships[] =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"xl/workbook.xml\"/>"
    "</Relationships>";

const char kWorkbookRelationships[] =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
    "Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>"
    "<Relationship Id=\"rId3\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
    "Target=\"sharedStrings.xml\"/>"
    "</Relationships>";

// Styles 0 (plain) and 1 (bold captions) are fixed; number formats take the next ones.
const int kCaptionStyle = 1;
const int kFirstNumberStyle = 2;
const int kFirstCustomFormat = 164;
const size_t kSheetPiece = 1 << 20; // sheet text gathered before it is deflated

// Appends a literal without measuring it at every cell.
template <size_t N>
void put(std::string& out, const char (&literal)[N])
{
    out.append(literal, N - 1);
}

void putNumber(std::string& out, size_t n)
{
    char digits[24];
    size_t i = sizeof digits;
    do {
        digits[--i] = char('0' + n % 10);
        n /= 10;
    } while (n);
    out.append(digits + i, sizeof digits - i);
}

std::string columnLetters(size_t index)
{
    std::string letters;
    for (size_t n = index + 1; n; n = (n - 1) / 26) letters.insert(letters.begin(), char('A' + (n - 1) % 26));
    return letters;
}

bool isSheetNameChar(wchar_t c)
{
    return c >= 0x20 && c != L'[' && c != L']' && c != L':' && c != L'*' && c != L'?' && c != L'/' && c != L'\\';
}

} // namespace

XStringW sheetNameFor(const XStringW& title)
{
    XStringW name;
    for (wchar_t c : title)
        if (isSheetNameChar(c)) name += c;
    while (!name.empty() && name.front() == L'\'') name.erase(0, 1);
    const size_t kMaxChars = 31;
    if (name.size() > kMaxChars) {
        size_t cut = kMaxChars;
        if (name[cut - 1] >= 0xD800 && name[cut - 1] <= 0xDBFF) --cut; // keep pairs whole
        name.resize(cut);
    }
    while (!name.empty() && name.back() == L'\'') name.pop_back();
    return name.empty() ? XStringW(L"工作表1") : name;
}

WorkbookWriter::WorkbookWriter(ByteSink& sink) : zip_(sink), stylesByKey_(512, -1), styleNames_{"0", "1"} {}

WorkbookWriter::~WorkbookWriter() = default;

std::wstring WorkbookWriter::error() const { return error_.empty() ? zip_.error() : error_; }

bool WorkbookWriter::fits(size_t rows, size_t columns, std::wstring& why)
{
    if (rows < kMaxRows && columns <= kMaxColumns) return true;
    why = L"一张工作表最多容纳 " + std::to_wstring(kMaxRows - 1) + L" 行数据、" + std::to_wstring(kMaxColumns) +
          L" 列；这份列表有 " + std::to_wstring(rows) + L" 行、" + std::to_wstring(columns) +
          L" 列。请改存为文本文件。";
    return false;
}

bool WorkbookWriter::begin(const XStringW& sheetName, const std::vector<SheetColumn>& columns, size_t rows)
{
    if (!fits(rows, columns.size(), error_)) return false;
    columns_ = columns;
    rows_ = rows;
    sharing_.assign(columns_.size(), Sharing());
    for (size_t c = 0; c < columns_.size(); ++c) letters_.push_back(columnLetters(c));

    std::string workbook = kXmlDeclaration;
    workbook += "<workbook xmlns=\"";
    workbook += kMainNamespace;
    workbook += "\" xmlns:r=\"";
    workbook += kRelationshipNamespace;
    workbook += "\"><bookViews><workbookView/></bookViews><sheets><sheet name=\"";
    XStringW name = sheetNameFor(sheetName);
    appendXmlAttribute(workbook, name.data(), name.size(), dropped_);
    workbook += "\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    const std::pair<const char*, std::string> parts[] = {
        {"[Content_Types].xml", std::string(kXmlDeclaration) + kContentTypes},
        {"_rels/.rels", std::string(kXmlDeclaration) + kPackageRelationships},
        {"xl/workbook.xml", workbook},
        {"xl/_rels/workbook.xml.rels", std::string(kXmlDeclaration) + kWorkbookRelationships}};
    for (const auto& part : parts)
        if (!zip_.beginEntry(part.first) || !zip_.write(part.second) || !zip_.endEntry()) return false;

    std::string last = columns_.empty() ? std::string("A") : letters_.back();
    xml_ = kXmlDeclaration;
    xml_ += "<worksheet xmlns=\"";
    xml_ += kMainNamespace;
    xml_ += "\" xmlns:r=\"";
    xml_ += kRelationshipNamespace;
    xml_ += "\"><dimension ref=\"A1:" + last + std::to_string(rows_ + 1) + "\"/>";
    // The caption row stays in place while the rows scroll, as the grid's header does.
    xml_ += "<sheetViews><sheetView workbookViewId=\"0\"><pane ySplit=\"1\" topLeftCell=\"A2\" "
            "activePane=\"bottomLeft\" state=\"frozen\"/><selection pane=\"bottomLeft\" activeCell=\"A2\" "
            "sqref=\"A2\"/></sheetView></sheetViews><sheetFormatPr defaultRowHeight=\"15\"/>";
    std::string widths;
    for (size_t c = 0; c < columns_.size(); ++c) {
        if (columns_[c].widthPixels <= 0) continue;
        // A width counts characters of the default font's digit, about 7 pixels wide; in
        // hundredths, by integers, so no locale's decimal comma gets in.
        long hundredths = (long(columns_[c].widthPixels) * 100 + 3) / 7;
        std::string width =
            std::to_string(hundredths / 100) + "." + char('0' + hundredths % 100 / 10) + char('0' + hundredths % 10);
        widths += "<col min=\"" + std::to_string(c + 1) + "\" max=\"" + std::to_string(c + 1) + "\" width=\"" + width +
                  "\" customWidth=\"1\"/>";
    }
    if (!widths.empty()) xml_ += "<cols>" + widths + "</cols>";
    xml_ += "<sheetData>";
    if (!zip_.beginEntry("xl/worksheets/sheet1.xml")) return false;

    beginRow();
    for (const SheetColumn& column : columns_) {
        if (column.caption.empty()) {
            ++column_;
            gap_ = true;
            continue;
        }
        textCell(column.caption, kCaptionStyle);
    }
    return endRow();
}

void WorkbookWriter::beginRow()
{
    inRow_ = true;
    gap_ = false;
    ++row_;
    column_ = 0;
    rowNumber_.clear();
    putNumber(rowNumber_, row_);
    put(xml_, "<row r=\"");
    xml_ += rowNumber_;
    put(xml_, "\">");
}

bool WorkbookWriter::endRow()
{
    if (!inRow_) beginRow(); // a row without cells is still a row
    inRow_ = false;
    put(xml_, "</row>");
    return flushSheet(false);
}

// A cell names its place only after a blank one: readers count the others on from there,
// and a list of a million funds is a good deal smaller without.
void WorkbookWriter::cellStart(int style)
{
    put(xml_, "<c");
    if (gap_) {
        put(xml_, " r=\"");
        xml_ += letters_[column_];
        xml_ += rowNumber_;
        xml_ += '"';
        gap_ = false;
    }
    if (style) {
        put(xml_, " s=\"");
        xml_ += styleNames_[size_t(style)];
        xml_ += '"';
    }
    ++column_;
}

// A text that repeats (a type, a style, a company) is written once, in the shared table, and
// each cell names its entry. A column whose texts seldom repeat (codes, names) stops being
// looked up after its first rows, and the table takes at most kSharedTexts short texts, so a
// list of a million funds keeps it small; other texts stay in their cells.
void WorkbookWriter::textCell(const XStringW& text, int style)
{
    auto found = shared_.end();
    Sharing& sharing = sharing_[column_];
    // A text holding what reads as the workbook's escape ("_x000D_") stays in its cell: some
    // readers undo the escape of its underscore in the shared table their own way.
    if (sharing.worth && text.size() <= kSharedLength && text.find(L"_x") == XStringW::npos) {
        const std::wstring& key = text;
        found = shared_.find(key);
        if (found != shared_.end())
            ++sharing.hits;
        else if (shared_.size() < kSharedTexts)
            found = addShared(key);
        if (++sharing.tries == kSharingTrial) sharing.worth = sharing.hits * 2 >= sharing.tries;
    }
    cellStart(style);
    if (found != shared_.end()) {
        ++sharedUses_;
        put(xml_, " t=\"s\"><v>");
        putNumber(xml_, found->second);
        put(xml_, "</v></c>");
        return;
    }
    if (needsPreservedSpace(text.data(), text.size()))
        put(xml_, " t=\"inlineStr\"><is><t xml:space=\"preserve\">");
    else
        put(xml_, " t=\"inlineStr\"><is><t>");
    appendXmlText(xml_, text.data(), text.size(), dropped_);
    put(xml_, "</t></is></c>");
}

std::unordered_map<std::wstring, uint32_t>::iterator WorkbookWriter::addShared(const std::wstring& text)
{
    sharedXml_ += needsPreservedSpace(text.data(), text.size()) ? "<si><t xml:space=\"preserve\">" : "<si><t>";
    appendXmlText(sharedXml_, text.data(), text.size(), dropped_);
    sharedXml_ += "</t></si>";
    return shared_.emplace(text, uint32_t(shared_.size())).first;
}

void WorkbookWriter::valueCell(const std::string& value, int style)
{
    cellStart(style);
    put(xml_, "><v>");
    xml_ += value;
    put(xml_, "</v></c>");
}

void WorkbookWriter::cell(const XStringW& shown)
{
    if (!inRow_) beginRow();
    if (column_ >= columns_.size()) return;
    if (shown.empty()) {
        ++column_;
        gap_ = true;
        return;
    }
    const SheetColumn& column = columns_[column_];
    if (column.kind == SheetKind::Number &&
        readShownNumber(shown.data(), shown.size(), column.decimalPoint, column.groupSeparator, number_)) {
        valueCell(number_.value, styleOf(number_.formatKey()));
        return;
    }
    long day = 0;
    if (column.kind == SheetKind::Date && readShownDate(shown.data(), shown.size(), day)) {
        valueCell(std::to_string(day), dateStyle());
        return;
    }
    textCell(shown, 0);
}

int WorkbookWriter::addStyle(const std::string& format)
{
    formats_.push_back(format);
    styleNames_.push_back(std::to_string(styleNames_.size()));
    return int(styleNames_.size()) - 1;
}

int WorkbookWriter::styleOf(int formatKey)
{
    int& style = stylesByKey_[size_t(formatKey) & 511];
    if (style < 0) style = addStyle(numberFormatCode(formatKey));
    return style;
}

int WorkbookWriter::dateStyle()
{
    if (dateStyle_ < 0) dateStyle_ = addStyle(kDateFormatCode);
    return dateStyle_;
}

bool WorkbookWriter::flushSheet(bool force)
{
    if (!force && xml_.size() < kSheetPiece) return !zip_.failed();
    bool written = zip_.write(xml_);
    xml_.clear();
    return written;
}

std::string WorkbookWriter::stylesPart() const
{
    std::string styles = kXmlDeclaration;
    styles += "<styleSheet xmlns=\"";
    styles += kMainNamespace;
    styles += "\">";
    if (!formats_.empty()) {
        styles += "<numFmts count=\"" + std::to_string(formats_.size()) + "\">";
        for (size_t i = 0; i < formats_.size(); ++i)
            styles += "<numFmt numFmtId=\"" + std::to_string(kFirstCustomFormat + int(i)) + "\" formatCode=\"" +
                      formats_[i] + "\"/>";
        styles += "</numFmts>";
    }
    const char* font = "<sz val=\"11\"/><name val=\"\xE5\xAE\x8B\xE4\xBD\x93\"/><family val=\"2\"/>"
                       "<charset val=\"134\"/></font>"; // 宋体, the Chinese default face
    styles += "<fonts count=\"2\"><font>";
    styles += font;
    styles += "<font><b/>";
    styles += font;
    styles += "</fonts><fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
              "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
              "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
              "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>";
    styles += "<cellXfs count=\"" + std::to_string(kFirstNumberStyle + formats_.size()) + "\">";
    styles += "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
              "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/>";
    for (size_t i = 0; i < formats_.size(); ++i)
        styles += "<xf numFmtId=\"" + std::to_string(kFirstCustomFormat + int(i)) +
                  "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>";
    styles += "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
              "</styleSheet>";
    return styles;
}

bool WorkbookWriter::finish()
{
    xml_ += "</sheetData>";
    // Codes and names that look like numbers are texts on purpose: no warning marks on them.
    if (!columns_.empty()) {
        xml_ += "<ignoredErrors><ignoredError sqref=\"A1:" + letters_.back() + std::to_string(row_) +
                "\" numberStoredAsText=\"1\"/></ignoredErrors>";
    }
    xml_ += "</worksheet>";
    if (!flushSheet(true) || !zip_.endEntry()) return false;
    if (!zip_.beginEntry("xl/styles.xml") || !zip_.write(stylesPart()) || !zip_.endEntry()) return false;
    std::string head = kXmlDeclaration;
    head += "<sst xmlns=\"";
    head += kMainNamespace;
    head += "\" count=\"" + std::to_string(sharedUses_) + "\" uniqueCount=\"" + std::to_string(shared_.size()) + "\">";
    if (!zip_.beginEntry("xl/sharedStrings.xml") || !zip_.write(head) || !zip_.write(sharedXml_) ||
        !zip_.write(std::string("</sst>")) || !zip_.endEntry())
        return false;
    return zip_.finish();
}

} // namespace ClosedFund
