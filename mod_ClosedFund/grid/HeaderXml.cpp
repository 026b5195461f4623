#include "grid/HeaderXml.h"
#include "common/XmlDom.h"
#include <algorithm>

namespace ClosedFund {

using Common::XStringW;

const wchar_t* const kFontAttributes[3] = {L"font-family", L"font-size", L"font-style"};

using Common::ComPtr;
using Common::ScopedBstr;
namespace XmlDom = Common::XmlDom;
using Elements = std::vector<ComPtr<IXMLDOMElement>>;

namespace {

// The export's own visibility rule: no `visible` attribute, or exactly "true".
bool exportedItem(IXMLDOMElement* e)
{
    XStringW visible;
    return !XmlDom::attribute(e, L"visible", visible) || visible == L"true";
}

// A column needs both a caption and a field name; anything else is left out.
void addExportColumn(IXMLDOMElement* e, const XStringW& groupTitle, std::vector<ExportColumn>& columns)
{
    XStringW title, name;
    if (!XmlDom::attribute(e, L"title", title) || !XmlDom::attribute(e, L"name", name)) return;
    ExportColumn column;
    column.caption = groupTitle.empty() ? title : groupTitle + L" " + title;
    column.info = Control::HeaderInfo2(name, e);
    columns.push_back(column);
}

void removeFontAttributes(IXMLDOMElement* e)
{
    for (const wchar_t* name : kFontAttributes) XmlDom::removeAttribute(e, name);
}

} // namespace

// The header's document and its root element; false when the text does not parse.
static bool openHeader(const XStringW& xml, ComPtr<IXMLDOMDocument>& doc, XStringW& encoding,
                       ComPtr<IXMLDOMElement>& root)
{
    doc = XmlDom::loadDocument(xml, encoding);
    root = XmlDom::rootElement(doc.get());
    return bool(root);
}

bool stripFontAttributes(const XStringW& xml, XStringW& out)
{
    ComPtr<IXMLDOMDocument> doc;
    XStringW encoding;
    ComPtr<IXMLDOMElement> root;
    if (!openHeader(xml, doc, encoding, root)) return false;
    for (const ComPtr<IXMLDOMElement>& top : XmlDom::elementChildren(root.get())) {
        for (const ComPtr<IXMLDOMElement>& e : XmlDom::elementChildren(top.get())) removeFontAttributes(e.get());
        removeFontAttributes(top.get());
    }
    XStringW text;
    if (!XmlDom::saveDocument(doc.get(), encoding, text)) return false;
    out = text;
    return true;
}

namespace {

bool hiddenItem(IXMLDOMElement* e)
{
    XStringW visible;
    return XmlDom::attribute(e, L"visible", visible) && visible == L"false";
}

bool namedItem(IXMLDOMElement* e)
{
    XStringW name;
    return XmlDom::attribute(e, L"name", name) && !name.empty();
}

// The columns of a header (items with a name, top level and one level down) as elements.
Elements columnsOf(IXMLDOMElement* root)
{
    Elements columns;
    for (const ComPtr<IXMLDOMElement>& top : XmlDom::elementChildren(root)) {
        Elements inner = XmlDom::elementChildren(top.get());
        if (inner.empty() && namedItem(top.get())) columns.push_back(top);
        for (const ComPtr<IXMLDOMElement>& e : inner)
            if (namedItem(e.get())) columns.push_back(e);
    }
    return columns;
}

// A copy of the element's attributes on a new item of doc, hidden, appended to root.
bool appendHiddenCopy(IXMLDOMDocument* doc, IXMLDOMElement* root, IXMLDOMElement* from)
{
    ComPtr<IXMLDOMElement> item;
    ScopedBstr tag(L"item");
    if (FAILED(doc->createElement(tag.get(), item.put())) || !item) return false;
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    long count = 0;
    if (FAILED(from->get_attributes(attributes.put())) || !attributes || FAILED(attributes->get_length(&count)))
        return false;
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> attribute;
        ScopedBstr name;
        VARIANT value;
        VariantInit(&value);
        if (attributes->get_item(i, attribute.put()) != S_OK || FAILED(attribute->get_nodeName(name.put())) ||
            FAILED(attribute->get_nodeValue(&value)))
            continue;
        item->setAttribute(name.get(), value);
        VariantClear(&value);
    }
    XmlDom::setAttribute(item.get(), L"visible", L"false");
    ComPtr<IXMLDOMNode> added;
    return SUCCEEDED(root->appendChild(item.get(), added.put()));
}

// Columns are items without item children and groups' items, counted the way the control
// lays its header out; with shownOnly a hidden item, or a hidden group's items, do not count.
int countColumns(const XStringW& xml, bool shownOnly)
{
    ComPtr<IXMLDOMDocument> doc;
    XStringW encoding;
    ComPtr<IXMLDOMElement> root;
    if (!openHeader(xml, doc, encoding, root)) return -1;
    int count = 0;
    for (const ComPtr<IXMLDOMElement>& top : XmlDom::itemChildren(root.get())) {
        if (shownOnly && hiddenItem(top.get())) continue;
        Elements inner = XmlDom::itemChildren(top.get());
        if (inner.empty()) ++count;
        for (const ComPtr<IXMLDOMElement>& e : inner)
            if (!shownOnly || !hiddenItem(e.get())) ++count;
    }
    return count;
}

} // namespace

// "No columns" here means an empty grid there.
int shownHeaderColumns(const XStringW& xml) { return countColumns(xml, true); }

int headerColumns(const XStringW& xml) { return countColumns(xml, false); }

namespace {

bool removeChild(IXMLDOMNode* parent, IXMLDOMNode* child)
{
    ComPtr<IXMLDOMNode> removed;
    return SUCCEEDED(parent->removeChild(child, removed.put()));
}

} // namespace

bool boundHeaderColumns(const XStringW& xml, int limit, XStringW& out)
{
    ComPtr<IXMLDOMDocument> doc;
    XStringW encoding;
    ComPtr<IXMLDOMElement> root;
    if (!openHeader(xml, doc, encoding, root)) return false;
    int count = 0;
    bool cut = false;
    for (const ComPtr<IXMLDOMElement>& top : XmlDom::itemChildren(root.get())) {
        Elements inner = XmlDom::itemChildren(top.get());
        bool keepTop = inner.empty() ? count++ < limit : false;
        for (const ComPtr<IXMLDOMElement>& e : inner) {
            if (count < limit) {
                ++count;
                keepTop = true;
                continue;
            }
            if (!removeChild(top.get(), e.get())) return false;
            cut = true;
        }
        if (keepTop) continue;
        if (!removeChild(root.get(), top.get())) return false;
        cut = true;
    }
    XStringW text;
    if (!cut || !XmlDom::saveDocument(doc.get(), encoding, text)) return false;
    out = text;
    return true;
}

bool appendMissingColumns(const XStringW& stored, const XStringW& defaults, XStringW& out)
{
    ComPtr<IXMLDOMDocument> doc, defaultDoc;
    XStringW encoding, defaultEncoding;
    ComPtr<IXMLDOMElement> root, defaultRoot;
    if (!openHeader(stored, doc, encoding, root) || !openHeader(defaults, defaultDoc, defaultEncoding, defaultRoot))
        return false;
    std::vector<XStringW> names;
    XStringW name;
    for (const ComPtr<IXMLDOMElement>& e : columnsOf(root.get()))
        if (XmlDom::attribute(e.get(), L"name", name)) names.push_back(name);
    bool added = false, failed = false;
    for (const ComPtr<IXMLDOMElement>& e : columnsOf(defaultRoot.get())) {
        XmlDom::attribute(e.get(), L"name", name);
        if (failed || std::find(names.begin(), names.end(), name) != names.end()) continue;
        failed = !appendHiddenCopy(doc.get(), root.get(), e.get());
        added = added || !failed;
        names.push_back(name);
    }
    XStringW text;
    if (failed || !added || !XmlDom::saveDocument(doc.get(), encoding, text)) return false;
    out = text;
    return true;
}

bool exportColumns(IXMLDOMNodeList* items, std::vector<ExportColumn>& columns)
{
    columns.clear();
    if (!items) return false;
    for (const ComPtr<IXMLDOMElement>& top : XmlDom::elements(items)) {
        if (!exportedItem(top.get())) continue;
        Elements inner = XmlDom::elementChildren(top.get());
        if (inner.empty()) {
            addExportColumn(top.get(), XStringW(), columns);
            continue;
        }
        // A group: its columns are read as "<group caption> <column caption>", the way a
        // person reads the two caption rows on screen.
        XStringW groupTitle;
        XmlDom::attribute(top.get(), L"title", groupTitle);
        for (const ComPtr<IXMLDOMElement>& e : inner)
            if (exportedItem(e.get())) addExportColumn(e.get(), groupTitle, columns);
    }
    return true;
}

} // namespace ClosedFund
