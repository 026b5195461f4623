#include "table/ShownTable.h"
#include "common/XmlDom.h"
#include "data/FundTable.h"
#include "hostapi/DatabaseHost.h"

namespace FundTableText {

using Common::XStringW;

namespace {

// The title of the group item holding element; empty for a top-level column.
XStringW groupTitleOf(IXMLDOMElement* element)
{
    Common::ComPtr<IXMLDOMNode> parent;
    if (!element || element->get_parentNode(parent.put()) != S_OK || !parent) return XStringW();
    Common::ScopedBstr nodeName;
    if (parent->get_nodeName(nodeName.put()) != S_OK || XStringW(nodeName.text()) != L"item") return XStringW();
    auto group = parent.query<IXMLDOMElement>(Common::XmlDom::kIIDElement);
    return Common::XmlDom::attributeOr(group.get(), L"title", L"");
}

Align alignOf(const Control::HeaderInfo2& column)
{
    XStringW align;
    column.GetAttribute(L"align", align);
    if (align == L"center") return Align::Center;
    if (align == L"right") return Align::Right;
    return Align::Left;
}

// The page's date statement, read here without the page's message box: a tool that prints
// to a terminal must report a failure on stderr, not open a window.
bool readDataDate(Host::IDatabase* db, XStringW& dataDate, XStringW& error)
{
    XComPtr<Host::IStatement> statement = db->prepare(ClosedFund::kDataDateSql, error);
    if (!statement) return false;
    if (statement->step()) dataDate = statement->getText(0);
    return true;
}

} // namespace

XStringW shippedThemeFolder()
{
    wchar_t exe[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    XStringW folder(exe, length);
    size_t slash = folder.find_last_of(L"\\/");
    return (slash == XStringW::npos ? XStringW() : folder.substr(0, slash + 1)) + L"themes";
}

ShownColumn shownColumn(const Control::HeaderInfo2& info)
{
    ShownColumn column;
    column.name = info.name;
    info.GetAttribute(L"title", column.title);
    XStringW group = groupTitleOf(info.GetElement());
    column.caption = group.empty() ? column.title : group + L" " + column.title;
    column.align = alignOf(info);
    return column;
}

bool loadFundGrid(ClosedFund::closedFundGrid& grid, Host::IDatabase* db, Host::ITheme* theme,
                  const XStringW& referenceDate, XStringW& error)
{
    if (!theme) {
        error = L"程序旁的主题文件夹（themes）读不出主题";
        return false;
    }
    auto* host = dynamic_cast<Host::IDatabaseHost*>(db);
    if (!db || !db->isOpen()) {
        error = host ? host->getLastError() : XStringW(L"无法打开基金数据库");
        return false;
    }
    grid.DataDate() = referenceDate;
    if (!readDataDate(db, grid.DataDate(), error)) {
        error = L"无法读取数据日期：" + error;
        return false;
    }
    if (!ClosedFund::fillFundTable(db, grid.FundTable(), referenceDate)) {
        error = L"无法读取封闭式基金：" + (host ? host->getLastError() : XStringW(L"查询失败"));
        return false;
    }
    grid.ApplyTheme(theme);
    if (!grid.SetHeaderText(grid.LoadHeaderText())) {
        error = L"模块的默认列头无法载入";
        return false;
    }
    if (grid.SortedView()) grid.SortedView()->rebuild(1);
    return true;
}

ShownTable shownTable(ClosedFund::closedFundGrid& grid)
{
    ShownTable table;
    const int columns = grid.GetColumnCount();
    std::vector<Control::HeaderInfo2> infos;
    for (int c = 0; c < columns; ++c) {
        const Control::HeaderInfo2* info = grid.GetColumnInfo(c);
        infos.push_back(*info);
        table.columns.push_back(shownColumn(*info));
    }
    const int rows = grid.GetRowsCount();
    table.rows.resize(rows);
    for (int r = 0; r < rows; ++r) {
        table.rows[r].resize(columns);
        for (int c = 0; c < columns; ++c) grid.GetItemText(r, infos[c], table.rows[r][c]);
    }
    return table;
}

} // namespace FundTableText
