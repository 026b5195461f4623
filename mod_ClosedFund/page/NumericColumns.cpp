#include "page/NumericColumns.h"
#include "common/XmlDom.h"
#include "grid/ValueFormater.h"

namespace ClosedFund {

namespace {

namespace XmlDom = Common::XmlDom;

struct NumericUnit {
    const wchar_t* name;
    const wchar_t* unit;
};

const NumericUnit kNumericUnits[] = {
    {L"value", L""},      {L"totalvalue", L""},   {L"increase", L""},        {L"increasepercent", L"%"},
    {L"price", L""},      {L"pricevalue", L""},   {L"pricevaluerate", L"%"}, {L"pricevalueyearincome", L"%"},
    {L"date_due", L"年"}, {L"quotient", L"亿份"}, {L"peoples", L"户"},
};

const wchar_t* unitOf(const XStringW& name)
{
    for (const NumericUnit& u : kNumericUnits)
        if (name == u.name) return u.unit;
    return nullptr;
}

// "基金份额(亿份)" reads "基金份额" in a condition, whose number carries the unit itself.
XStringW withoutUnitNote(const XStringW& title)
{
    size_t open = title.find_first_of(L"(（");
    return open == XStringW::npos || open == 0 ? title : XStringW(title.substr(0, open));
}

void addColumn(IXMLDOMElement* item, std::vector<NumericColumn>& out)
{
    XStringW name, title, type, format;
    if (!XmlDom::attribute(item, L"name", name) || !XmlDom::attribute(item, L"title", title)) return;
    const wchar_t* unit = unitOf(name);
    if (!unit) return;
    NumericColumn column;
    column.name = name;
    column.caption = withoutUnitNote(title);
    column.unit = unit;
    XmlDom::attribute(item, L"data_type", type);
    // Only a real column is formatted by its arithmetic and decimals; the others show their
    // stored text, whose number is read as it stands.
    if (XmlDom::attribute(item, L"text_format", format) && !type.empty() && type[0] == L'd') {
        ValueFormater<double> formatter;
        formatter.SetFormat(format);
        if (formatter.operatorChar() == L'*') column.scale = formatter.operand();
        if (formatter.operatorChar() == L'/' && formatter.operand() != 0) column.scale = 1 / formatter.operand();
        if (formatter.precision() != ValueFormater<double>::kNoPrecision) column.decimals = formatter.precision();
    }
    out.push_back(column);
}

} // namespace

std::vector<NumericColumn> numericColumns(const XStringW& headerXml)
{
    std::vector<NumericColumn> out;
    XStringW encoding;
    Common::ComPtr<IXMLDOMDocument> doc = XmlDom::loadDocument(headerXml, encoding);
    Common::ComPtr<IXMLDOMElement> root = doc ? XmlDom::rootElement(doc.get()) : Common::ComPtr<IXMLDOMElement>();
    if (!root) return out;
    for (const auto& item : XmlDom::itemChildren(root.get())) {
        addColumn(item.get(), out);
        for (const auto& child : XmlDom::itemChildren(item.get())) addColumn(child.get(), out);
    }
    return out;
}

} // namespace ClosedFund
