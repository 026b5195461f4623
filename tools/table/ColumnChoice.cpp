#include "table/ColumnChoice.h"
#include "common/XmlDom.h"
#include <algorithm>

namespace FundTableText {

using Common::ComPtr;
using Common::XStringW;
namespace XmlDom = Common::XmlDom;

namespace {

bool isItem(IXMLDOMElement* e)
{
    Common::ScopedBstr tag;
    return SUCCEEDED(e->get_tagName(tag.put())) && wcscmp(tag.text(), L"item") == 0;
}

XStringW trimmed(const XStringW& text)
{
    const wchar_t* blanks = L" \t\r\n\x3000";
    size_t first = text.find_first_not_of(blanks);
    if (first == XStringW::npos) return XStringW();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The column a person's name stands for, -1 for none.
int columnNamed(const std::vector<ShownColumn>& columns, const XStringW& name)
{
    for (size_t c = 0; c < columns.size(); ++c)
        if (columns[c].title == name || columns[c].caption == name) return int(c);
    return -1;
}

XStringW joined(const std::vector<XStringW>& texts)
{
    XStringW out;
    for (const XStringW& text : texts) out += (out.empty() ? L"" : L"、") + text;
    return out;
}

} // namespace

std::vector<XStringW> columnNames(const XStringW& list)
{
    std::vector<XStringW> names;
    size_t start = 0;
    for (;;) {
        size_t comma = list.find_first_of(L",\xFF0C", start);
        XStringW name = trimmed(list.substr(start, comma == XStringW::npos ? XStringW::npos : comma - start));
        if (!name.empty()) names.push_back(name);
        if (comma == XStringW::npos) return names;
        start = comma + 1;
    }
}

std::vector<ShownColumn> headerColumns(ClosedFund::closedFundGrid& grid)
{
    std::vector<ShownColumn> columns;
    auto items = ComPtr<IXMLDOMNodeList>::adopt(grid.GetHeaderItems());
    for (const ComPtr<IXMLDOMElement>& top : XmlDom::elements(items.get())) {
        if (!isItem(top.get())) continue;
        std::vector<ComPtr<IXMLDOMElement>> leaves = XmlDom::itemChildren(top.get());
        if (leaves.empty()) leaves.push_back(top);
        for (const ComPtr<IXMLDOMElement>& leaf : leaves)
            columns.push_back(
                shownColumn(Control::HeaderInfo2(XmlDom::attributeOr(leaf.get(), L"name", L""), leaf.get())));
    }
    return columns;
}

bool chosenTable(ClosedFund::closedFundGrid& grid, const std::vector<XStringW>& names, ShownTable& table,
                 XStringW& error)
{
    const std::vector<ShownColumn> known = headerColumns(grid);
    std::vector<int> chosen;
    std::vector<XStringW> unknown;
    for (const XStringW& name : names) {
        int c = columnNamed(known, name);
        if (c < 0)
            unknown.push_back(name);
        else if (std::find(chosen.begin(), chosen.end(), c) == chosen.end())
            chosen.push_back(c);
    }
    if (!unknown.empty() || chosen.empty()) {
        std::vector<XStringW> titles;
        titles.reserve(known.size());
        for (const ShownColumn& column : known) titles.push_back(column.title);
        error = unknown.empty() ? XStringW(L"没有给出列名") : L"没有这样的列：" + joined(unknown);
        error += L"。可选的列：" + joined(titles);
        return false;
    }
    table = ShownTable();
    std::vector<Control::HeaderInfo2> infos;
    auto items = ComPtr<IXMLDOMNodeList>::adopt(grid.GetHeaderItems());
    for (int c : chosen) {
        table.columns.push_back(known[c]);
        auto element = ComPtr<IXMLDOMElement>::adopt(grid.GetHeader(items.get(), known[c].name));
        infos.emplace_back(known[c].name, element.get());
    }
    const int rows = grid.GetRowsCount();
    table.rows.resize(rows);
    for (int r = 0; r < rows; ++r) {
        table.rows[r].resize(infos.size());
        for (size_t c = 0; c < infos.size(); ++c) grid.GetItemText(r, infos[c], table.rows[r][c]);
    }
    return true;
}

} // namespace FundTableText
