// The export of the closed-fund grid and its Ctrl+C: the shown rows, in the shown order and
// filter, as the grid formats them, under the captions a person reads on screen, as a
// workbook whose cells are typed as a person reads them, or as delimited text that a
// standard reader gets back cell for cell.
#include "grid/ClosedFundGrid.h"
#include "base/HostServices.h"
#include "base/ModuleLog.h"
#include "export/ExportFile.h"
#include "export/ExportTarget.h"
#include "export/WorkbookWriter.h"
#include "grid/ColumnFormat.h"
#include "grid/DelimitedText.h"
#include "grid/HeaderXml.h"
#include "common/ComPtr.h"
#include "base/ModuleHandle.h"
#include "ui/FileDialog.h"
#include <msxml2.h>
#include <algorithm>
#include <cstdint>
#include <string>

namespace ClosedFund {

using Common::XStringW;

const char* const kExportFolderKey = "/Client2/UserConfig/mod_ClosedFund/ExportFolder";
// Where the person is told the export's folder and type were not kept.
const wchar_t kExportPlace[] = L"导出位置";

namespace {

// The page's title, which names the sheet when the grid was given none.
const wchar_t kDefaultSheetTitle[] = L"封闭式基金";

XStringW folderOf(const XStringW& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == XStringW::npos ? XStringW() : XStringW(path.substr(0, slash));
}

bool isFolder(const XStringW& path)
{
    DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Rows are handed to the file in pieces of about this many characters.
const size_t kPieceChars = 1 << 20;

// Drops the NULs of a text (no reader keeps them: they end a text early); returns how many.
size_t dropNuls(XStringW& text)
{
    size_t before = text.size();
    if (text.find(L'\0') == XStringW::npos) return 0;
    text.erase(std::remove(text.begin(), text.end(), L'\0'), text.end());
    return before - text.size();
}

std::vector<XStringW> captionsOf(const std::vector<ExportColumn>& columns, size_t& dropped)
{
    std::vector<XStringW> captions;
    for (const ExportColumn& column : columns) {
        captions.push_back(column.caption);
        dropped += dropNuls(captions.back());
    }
    return captions;
}

std::vector<ExportColumn> shownExportColumns(const closedFundGrid& grid)
{
    std::vector<ExportColumn> columns;
    auto items = Common::ComPtr<IXMLDOMNodeList>::adopt(grid.GetHeaderItems());
    exportColumns(items.get(), columns);
    return columns;
}

// One record of the shown row: each cell as the grid shows it, quoted, NULs left out.
void appendShownRow(closedFundGrid& grid, XStringW& out, int row, std::vector<ExportColumn>& columns, wchar_t separator,
                    size_t& dropped)
{
    const NumberPunct& punct = userNumberPunct();
    XStringW cell;
    for (size_t c = 0; c < columns.size(); ++c) {
        if (c) out += separator;
        cell.clear();
        grid.GetItemText(row, columns[c].info, cell);
        dropped += dropNuls(cell);
        appendField(out, cell, punct);
    }
    out += L"\r\n";
}

// What an export wrote: the funds, and the characters it had to leave out.
struct ExportTally {
    size_t rows = 0;
    size_t dropped = 0;
};

void writeText(closedFundGrid& grid, ExportFile& file, std::vector<ExportColumn>& columns, ExportFormat format,
               size_t rows, ExportTally& tally)
{
    std::string bom = exportByteOrderMark(format.utf8);
    file.put(bom.data(), bom.size());
    XStringW text;
    appendRecord(text, captionsOf(columns, tally.dropped), format.separator, userNumberPunct());
    for (size_t row = 0; row < rows && file.ok(); ++row) {
        appendShownRow(grid, text, int(row), columns, format.separator, tally.dropped);
        if (text.size() >= kPieceChars) file.write(text, format.utf8);
    }
    file.write(text, format.utf8);
}

// A column as the sheet writes it: its caption, the grid's width, the kind of its field and
// the punctuation its shown numbers have (the user's where the grid formats the column).
SheetColumn sheetColumnOf(const ExportColumn& column)
{
    SheetColumn sheet;
    sheet.caption = column.caption;
    sheet.kind = sheetKindOf(column.info.name);
    XStringW value;
    if (column.info.GetAttribute(L"width", value)) sheet.widthPixels = _wtoi(value.c_str());
    column.info.GetAttribute(L"data_type", value);
    if (dataTypeOf(value) != Host::VALUE_TEXT) {
        const NumberPunct& punct = userNumberPunct();
        sheet.decimalPoint = punct.decimalPoint;
        sheet.groupSeparator = punct.grouping.empty() ? L'\0' : punct.thousandsSep;
    }
    return sheet;
}

bool writeWorkbook(closedFundGrid& grid, ExportFile& file, std::vector<ExportColumn>& columns, size_t rows,
                   XStringW& error, ExportTally& tally)
{
    std::vector<SheetColumn> sheet;
    sheet.reserve(columns.size());
    for (const ExportColumn& column : columns) sheet.push_back(sheetColumnOf(column));
    XStringW title = grid.GetAccessibleName().empty() ? XStringW(kDefaultSheetTitle) : grid.GetAccessibleName();
    WorkbookWriter book(file);
    bool written = book.begin(title, sheet, rows);
    XStringW cell;
    for (size_t row = 0; row < rows && written; ++row) {
        for (ExportColumn& column : columns) {
            cell.clear();
            grid.GetItemText(int(row), column.info, cell);
            book.cell(cell);
        }
        written = book.endRow();
    }
    written = written && book.finish();
    tally.dropped += book.dropped();
    if (!written) file.abandon(book.error(), error);
    return written;
}

// The export behind ExportToFile and ExportList: the target by the rules of exportTargetFor,
// a list too long for a sheet refused before anything is written.
bool exportShownList(closedFundGrid& grid, const XStringW& path, int type, XStringW& error, ExportTally& tally)
{
    error.clear();
    tally = ExportTally();
    ExportTarget target = exportTargetFor(path, type);
    std::vector<ExportColumn> columns = shownExportColumns(grid);
    const size_t rows = size_t(grid.GetRowsCount());
    std::wstring why;
    if (target.workbook && !WorkbookWriter::fits(rows, columns.size(), why)) {
        error = L"无法导出到 " + target.path + L"\r\n" + why;
        return false;
    }
    ExportFile file(target.path);
    if (file.ok() && target.workbook) {
        if (!writeWorkbook(grid, file, columns, rows, error, tally)) return false;
    } else if (file.ok()) {
        writeText(grid, file, columns, target.text, rows, tally);
    }
    if (!file.close(error)) return false; // a file that did not open says why here
    tally.rows = rows;
    return true;
}

int rememberedExportType(Host::IConfManager* conf)
{
    XComPtr<Host::IConfKey> key = conf ? conf->getKey(kExportTypeKey) : XComPtr<Host::IConfKey>();
    XComPtr<Host::IConfValue> value = key ? key->getValue() : XComPtr<Host::IConfValue>();
    int type = value ? _wtoi(value->getString().c_str()) : 0;
    return type >= EXPORT_CSV_UTF16 && type <= EXPORT_WORKBOOK ? type : kDefaultExportType;
}

// The dialog opens on the remembered type. FileDialog takes the first entry unless told
// otherwise and has no setter for it; the record is its own member, so it may be changed.
void preselectType(WGUI::FileDialog& dialog, int type) { dialog.SetFilterIndex(DWORD(dialogIndexOfExportType(type))); }

XStringW exportedMessage(const ExportTally& tally, const XStringW& path)
{
    XStringW text = L"已导出 " + std::to_wstring(tally.rows) + L" 只基金到 " + path;
    if (tally.dropped) text += L"（略去 " + std::to_wstring(tally.dropped) + L" 个无法写入的控制字符）";
    return text;
}

} // namespace

std::vector<ExportColumn> closedFundGrid::ExportColumns() const { return shownExportColumns(*this); }

void closedFundGrid::AppendRowRecord(XStringW& out, int row, std::vector<ExportColumn>& columns, wchar_t separator)
{
    size_t dropped = 0;
    appendShownRow(*this, out, row, columns, separator, dropped);
}

bool closedFundGrid::ExportToFile(const XStringW& path, int filterIndex, XStringW& error, size_t* rowsWritten)
{
    ExportTally tally;
    bool written = exportShownList(*this, path, filterIndex, error, tally);
    if (rowsWritten) *rowsWritten = tally.rows;
    return written;
}

// Ctrl+C of the control copies "the row as text": here the captions and the row, as two
// tab-separated records quoted as the export quotes them.
void closedFundGrid::DragItemToString(int row, XStringW& text)
{
    text.clear();
    if (row < 0 || row >= GetRowsCount()) return;
    std::vector<ExportColumn> columns = ExportColumns();
    size_t dropped = 0;
    appendRecord(text, captionsOf(columns, dropped), L'\t', userNumberPunct());
    AppendRowRecord(text, row, columns, L'\t');
}

XStringW closedFundGrid::ExportFolder() const
{
    XComPtr<Host::IConfManager> conf = UserConf();
    XComPtr<Host::IConfKey> key = conf ? conf->getKey(kExportFolderKey) : XComPtr<Host::IConfKey>();
    XComPtr<Host::IConfValue> value = key ? key->getValue() : XComPtr<Host::IConfValue>();
    XStringW folder = value ? value->getString() : XStringW();
    // A remembered folder that has gone since is no place to open the dialog in.
    return isFolder(folder) ? folder : XStringW(WGUI::FileDialog::DocumentsFolder());
}

// The folder and the type are kept for the next export; a person is told once (with the
// export's confirmation) when the user configuration keeps neither.
XStringW closedFundGrid::RememberExportChoice(const XStringW& folder, int type)
{
    XComPtr<Host::IConfManager> conf = UserConf();
    if (!conf || folder.empty()) return {};
    XComPtr<Host::IConfKey> folderKey = conf->createKey(kExportFolderKey);
    XComPtr<Host::IConfKey> typeKey = folderKey ? conf->createKey(kExportTypeKey) : XComPtr<Host::IConfKey>();
    if (folderKey && typeKey && StoreText(folderKey.get(), folder) && StoreText(typeKey.get(), std::to_wstring(type))) {
        saveNotice_.saved(kExportPlace);
        return {};
    }
    XStringW reason = HostServices::get().writeFailure(conf.get());
    logWarning((L"closed-fund grid: the export folder was not remembered: " + reason).c_str());
    return saveNotice_.failed(kExportPlace, reason);
}

void closedFundGrid::ExportList()
{
    int type = rememberedExportType(UserConf().get());
    XStringW initialName = L"契约型封闭式基金净值" + exportNameSuffix_;
    WGUI::FileDialog dialog(moduleInstance(), false, exportTypeExtension(type), initialName.c_str(),
                            OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kExportDialogFilters, GetHwnd());
    preselectType(dialog, type);
    dialog.SetInitialFolder(ExportFolder());
    if (dialog.DoModal(GetHwnd()) != IDOK) return;
    type = exportTypeOfDialogIndex(dialog.FilterIndex());
    ExportTarget target = exportTargetFor(dialog.FileName(), type);
    // The dialog asked about replacing the name it returned; a name extended here is asked
    // about here.
    if (target.path != dialog.FileName() && GetFileAttributesW(target.path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        XStringW question = target.path + L" 已存在。\r\n要替换它吗？";
        if (MessageBoxW(GetHwnd(), question.c_str(), L"数据导出", MB_YESNO | MB_ICONWARNING) != IDYES) return;
    }
    XStringW error;
    ExportTally tally;
    if (!exportShownList(*this, target.path, type, error, tally)) {
        MessageBoxW(GetHwnd(), error.c_str(), L"数据导出", MB_OK | MB_ICONERROR);
        return;
    }
    XStringW unsaved = RememberExportChoice(folderOf(target.path), type);
    ShowStatus(exportedMessage(tally, target.path) + (unsaved.empty() ? XStringW() : L"；" + unsaved));
}

} // namespace ClosedFund
