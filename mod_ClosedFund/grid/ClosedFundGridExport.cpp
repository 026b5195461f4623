// The export of the closed-fund grid: the shown rows, as the grid formats them, to a
// delimited text file with a byte-order mark.
#include "grid/ClosedFundGrid.h"
#include "grid/HeaderXml.h"
#include "host/File.h"
#include "module/ModuleHandle.h"
#include "ui/FileDialog.h"

namespace ClosedFund {

using Common::XStringW;

namespace {

const wchar_t kExportFilters[] =
    L"使用逗号分隔的unicode编码CSV文件 (*.csv)\0*.csv\0"
    L"使用逗号分隔的utf8编码CSV文件 (*.csv)\0*.csv\0"
    L"Microsoft Office Excel 工作簿(*.xls)\0*.xls\0";
const int kUtf8Filter = 2;

// Whether the file name (not its folder) ends in an extension that reads ".XLS" upper-cased.
bool isXlsName(const XStringW& path)
{
    size_t slash = path.find_last_of(L"\\/");
    size_t dot = path.rfind(L'.');
    if (dot == XStringW::npos || (slash != XStringW::npos && dot < slash))
        return false;
    XStringW ext = path.substr(dot);
    for (wchar_t& c : ext)
        if (c >= L'a' && c <= L'z') c = wchar_t(c - L'a' + L'A');
    return ext == L".XLS";
}

bool writeAll(Host::IFile* file, const void* bytes, size_t length)
{
    return length == 0 || file->write(bytes, int64_t(length));
}

} // namespace

void closedFundGrid::ExportList()
{
    XStringW initialName = L"契约型封闭式基金净值" + exportNameSuffix_;
    WGUI::FileDialog dialog(moduleInstance(), false, L"csv", initialName.c_str(),
                            OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kExportFilters, GetHwnd());
    if (dialog.DoModal(GetHwnd()) != IDOK)
        return;
    ExportTo(dialog.FileName(), int(dialog.FilterIndex()));
}

bool closedFundGrid::ExportTo(const XStringW& path, int filterIndex)
{
    XStringW text;
    std::vector<XStringW> names;
    exportColumns(GetHeader(), text, names);
    const bool utf8 = filterIndex == kUtf8Filter;
    const wchar_t* separator = L",";
    if (isXlsName(path)) {
        separator = L"\t";
        text.replaceAll(L",", L"\t");
    }
    XComPtr<Host::IFile> file = Host::createInstanceAs<Host::IFile>("File.File");
    if (!file || !file->open(path, Host::FILE_CREATE_WRITE))
        return false;
    const int rows = GetRowsCount();
    XStringW cell;
    for (int row = 0; row < rows; ++row) {
        for (const XStringW& name : names) {
            Control::HeaderInfo2 column(name);
            cell.clear();
            GetItemText(row, column, cell);
            text += L"\"" + cell + L"\"" + separator;
        }
        text += L"\r\n";
    }
    bool written;
    if (utf8) {
        static const unsigned char bom[] = {0xEF, 0xBB, 0xBF};
        Common::XStringA bytes = Common::toUtf8(text);
        written = writeAll(file.get(), bom, sizeof bom) && writeAll(file.get(), bytes.data(), bytes.size());
    } else {
        static const unsigned char bom[] = {0xFF, 0xFE};
        written = writeAll(file.get(), bom, sizeof bom)
                  && writeAll(file.get(), text.data(), text.size() * sizeof(wchar_t));
    }
    return file->close() && written;
}

} // namespace ClosedFund
