#include "export/ExportTarget.h"

namespace ClosedFund {

using Common::XStringW;

const char* const kExportTypeKey = "/Client2/UserConfig/mod_ClosedFund/ExportType";

const wchar_t kExportDialogFilters[] = L"Excel 工作簿 (*.xlsx)\0*.xlsx\0"
                                       L"UTF-16 逗号分隔文本 (*.csv)\0*.csv\0"
                                       L"UTF-8 逗号分隔文本 (*.csv)\0*.csv\0"
                                       L"UTF-16 制表符分隔文本 (*.txt;*.xls)\0*.txt;*.xls\0";

namespace {

// In the dialog's order.
const int kDialogTypes[] = {EXPORT_WORKBOOK, EXPORT_CSV_UTF16, EXPORT_CSV_UTF8, EXPORT_TAB_TEXT};

bool isKnownType(int type) { return type >= EXPORT_CSV_UTF16 && type <= EXPORT_WORKBOOK; }

// The extension of the file name (from its last point), upper-cased; empty without one.
XStringW upperExtension(const XStringW& path)
{
    size_t slash = path.find_last_of(L"\\/");
    size_t dot = path.rfind(L'.');
    if (dot == XStringW::npos || (slash != XStringW::npos && dot < slash)) return XStringW();
    XStringW ext = path.substr(dot);
    for (wchar_t& c : ext)
        if (c >= L'a' && c <= L'z') c = wchar_t(c - L'a' + L'A');
    return ext;
}

} // namespace

const wchar_t* exportTypeExtension(int type)
{
    switch (type) {
    case EXPORT_CSV_UTF16:
    case EXPORT_CSV_UTF8: return L"csv";
    case EXPORT_TAB_TEXT: return L"txt";
    default: return L"xlsx";
    }
}

ExportTarget exportTargetFor(const XStringW& path, int type)
{
    ExportTarget target;
    target.path = path;
    XStringW ext = upperExtension(path);
    if (ext != L".XLSX" && ext != L".CSV" && ext != L".TXT" && ext != L".XLS") {
        // A name ending in points would take the extension after them ("list..csv").
        while (!target.path.empty() && target.path.back() == L'.') target.path.pop_back();
        target.path += L".";
        target.path += exportTypeExtension(isKnownType(type) ? type : kDefaultExportType);
        ext = upperExtension(target.path);
    }
    if (ext == L".XLSX") {
        target.workbook = true;
    } else if (ext == L".CSV") {
        target.text.separator = L',';
        target.text.utf8 = type != EXPORT_CSV_UTF16 && type != EXPORT_TAB_TEXT;
    } else {
        target.text.separator = L'\t';
        target.text.utf8 = false;
    }
    return target;
}

int exportTypeOfDialogIndex(unsigned long index)
{
    const unsigned long count = sizeof(kDialogTypes) / sizeof(kDialogTypes[0]);
    return index >= 1 && index <= count ? kDialogTypes[index - 1] : kDefaultExportType;
}

unsigned long dialogIndexOfExportType(int type)
{
    const unsigned long count = sizeof(kDialogTypes) / sizeof(kDialogTypes[0]);
    for (unsigned long i = 0; i < count; ++i)
        if (kDialogTypes[i] == type) return i + 1;
    return 1;
}

} // namespace ClosedFund
