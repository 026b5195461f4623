// The export of the closed-fund grid and its Ctrl+C: the shown rows, in the shown order and
// filter, as the grid formats them, under the captions a person reads on screen, as
// delimited text that a standard reader gets back cell for cell.
#include "grid/ClosedFundGrid.h"
#include "grid/DelimitedText.h"
#include "grid/HeaderXml.h"
#include "common/ComPtr.h"
#include "host/File.h"
#include "base/ModuleHandle.h"
#include "ui/FileDialog.h"
#include <msxml2.h>
#include <cstdint>
#include <string>

namespace ClosedFund {

using Common::XStringW;

const char* const kExportFolderKey = "/Client2/UserConfig/mod_ClosedFund/ExportFolder";

namespace {

// The third choice is the same UTF-16 text with tabs that spreadsheets open; it is named for
// what it is, not as a workbook.
const wchar_t kExportFilters[] = L"使用逗号分隔的unicode编码CSV文件 (*.csv)\0*.csv\0"
                                 L"使用逗号分隔的utf8编码CSV文件 (*.csv)\0*.csv\0"
                                 L"制表符分隔文本 (*.txt;*.xls)\0*.txt;*.xls\0";

XStringW systemReason(DWORD code)
{
    if (code == 0) return L"原因不明。";
    wchar_t* buffer = nullptr;
    DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    XStringW reason = n && buffer ? XStringW(buffer, n) : XStringW();
    LocalFree(buffer);
    while (!reason.empty() && (reason.back() == L'\r' || reason.back() == L'\n' || reason.back() == L' '))
        reason.pop_back();
    if (reason.empty()) reason = L"系统错误 " + std::to_wstring(code) + L"。";
    return reason;
}

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

// An export file written in pieces, so that a list of a million funds never stands in memory
// whole. The bytes go to a temporary file beside the target that replaces it only when
// everything was written (the host's file component does that for an open with truncation),
// so a failure leaves the old file as it was and no partial one. The client's interface
// gives write and close no result: once closed, the target is checked to be the file just
// written (there, as large as what was written, and written since the export began).
class ExportFile {
public:
    ExportFile(const XStringW& path, bool utf8)
        : path_(path), utf8_(utf8), file_(Host::createInstanceAs<Host::IFile>("File.File"))
    {
        ::GetSystemTimeAsFileTime(&began_);
        SetLastError(0);
        if (!file_) return;
        if (!file_->open(path, Host::FILE_CREATE_WRITE)) {
            code_ = GetLastError();
            return;
        }
        open_ = true;
        std::string bom = exportByteOrderMark(utf8);
        put(bom);
    }
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;
    ~ExportFile() = default;

    bool ok() const { return open_; }

    // Writes the text and empties it.
    void write(XStringW& text)
    {
        if (ok() && !text.empty()) {
            encodeExportText(text, utf8_, bytes_);
            put(bytes_);
        }
        text.clear();
    }

    // True when the file is in place; otherwise error names the path and the system's reason.
    bool close(XStringW& error)
    {
        if (open_) {
            open_ = false;
            SetLastError(0);
            file_->close();
            noteError();
            if (inPlace()) return true;
        }
        error = L"无法导出到 " + path_ + L"\r\n" + (file_ ? systemReason(code_) : XStringW(L"文件组件不可用。"));
        return false;
    }

private:
    // The system's error after a write or the close, the likeliest reason if the file is not
    // in place afterwards.
    void noteError()
    {
        if (DWORD code = GetLastError()) lastError_ = code;
    }

    void put(const std::string& bytes)
    {
        if (bytes.empty()) return;
        SetLastError(0);
        file_->write(bytes.data(), int64_t(bytes.size()));
        noteError();
        written_ += bytes.size();
    }

    // A file modified up to this long before the export began still counts as written by it
    // (file times are coarser than the clock on some file systems).
    static const uint64_t kTimeSlack = 2ull * 10000000ull; // 2 s in 100 ns units

    bool inPlace()
    {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (!::GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data)) {
            code_ = lastError_ ? lastError_ : GetLastError();
            return false;
        }
        uint64_t size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        uint64_t written = (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
        uint64_t began = (uint64_t(began_.dwHighDateTime) << 32) | began_.dwLowDateTime;
        bool isFile = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
        if (isFile && size == written_ && written + kTimeSlack >= began) return true;
        code_ = lastError_ ? lastError_ : ERROR_WRITE_FAULT;
        return false;
    }

    XStringW path_;
    bool utf8_;
    XComPtr<Host::IFile> file_;
    bool open_ = false;
    FILETIME began_ = {};
    uint64_t written_ = 0;
    DWORD code_ = 0, lastError_ = 0;
    std::string bytes_;
};

// Rows are handed to the file in pieces of about this many characters.
const size_t kPieceChars = 1 << 20;

std::vector<XStringW> captionsOf(const std::vector<ExportColumn>& columns)
{
    std::vector<XStringW> captions;
    for (const ExportColumn& column : columns) captions.push_back(column.caption);
    return captions;
}

} // namespace

std::vector<ExportColumn> closedFundGrid::ExportColumns() const
{
    std::vector<ExportColumn> columns;
    auto items = Common::ComPtr<IXMLDOMNodeList>::adopt(GetHeaderItems());
    exportColumns(items.get(), columns);
    return columns;
}

void closedFundGrid::AppendRowRecord(XStringW& out, int row, std::vector<ExportColumn>& columns, wchar_t separator)
{
    const NumberPunct& punct = userNumberPunct();
    XStringW cell;
    for (size_t c = 0; c < columns.size(); ++c) {
        if (c) out += separator;
        cell.clear();
        GetItemText(row, columns[c].info, cell);
        appendField(out, cell, punct);
    }
    out += L"\r\n";
}

bool closedFundGrid::ExportToFile(const XStringW& path, int filterIndex, XStringW& error, size_t* rowsWritten)
{
    error.clear();
    if (rowsWritten) *rowsWritten = 0;
    ExportFormat format = exportFormatFor(path, filterIndex);
    ExportFile file(path, format.utf8);
    std::vector<ExportColumn> columns = ExportColumns();
    XStringW text;
    appendRecord(text, captionsOf(columns), format.separator, userNumberPunct());
    const size_t rows = size_t(GetRowsCount());
    for (size_t row = 0; row < rows && file.ok(); ++row) {
        AppendRowRecord(text, int(row), columns, format.separator);
        if (text.size() >= kPieceChars) file.write(text);
    }
    file.write(text);
    if (!file.close(error)) return false;
    if (rowsWritten) *rowsWritten = rows;
    return true;
}

// Ctrl+C of the control copies "the row as text": here the captions and the row, as two
// tab-separated records quoted as the export quotes them.
void closedFundGrid::DragItemToString(int row, XStringW& text)
{
    text.clear();
    if (row < 0 || row >= GetRowsCount()) return;
    std::vector<ExportColumn> columns = ExportColumns();
    appendRecord(text, captionsOf(columns), L'\t', userNumberPunct());
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

void closedFundGrid::RememberExportFolder(const XStringW& folder)
{
    XComPtr<Host::IConfManager> conf = UserConf();
    XComPtr<Host::IConfKey> key =
        conf && !folder.empty() ? conf->createKey(kExportFolderKey) : XComPtr<Host::IConfKey>();
    if (key) StoreText(key.get(), folder);
}

void closedFundGrid::ExportList()
{
    XStringW initialName = L"契约型封闭式基金净值" + exportNameSuffix_;
    WGUI::FileDialog dialog(moduleInstance(), false, L"csv", initialName.c_str(),
                            OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kExportFilters, GetHwnd());
    dialog.SetInitialFolder(ExportFolder());
    if (dialog.DoModal(GetHwnd()) != IDOK) return;
    XStringW path = dialog.FileName(), error;
    size_t rows = 0;
    if (!ExportToFile(path, int(dialog.FilterIndex()), error, &rows)) {
        MessageBoxW(GetHwnd(), error.c_str(), L"数据导出", MB_OK | MB_ICONERROR);
        return;
    }
    RememberExportFolder(folderOf(path));
    ShowStatus(L"已导出 " + std::to_wstring(rows) + L" 只基金到 " + path);
}

} // namespace ClosedFund
