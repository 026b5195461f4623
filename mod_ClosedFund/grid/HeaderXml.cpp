#include "grid/HeaderXml.h"
#include <windows.h>
#include <msxml2.h>
#include <cwchar>
#include <algorithm>
#include <utility>

namespace ClosedFund {

using Common::XStringW;

const wchar_t* const kFontAttributes[3] = {L"font-family", L"font-size", L"font-style"};

namespace {

// The import library of the toolchain lacks these identifiers; ours are private names so
// that nothing else linked into a program can clash with them.
const IID kDocumentIid = {0x2933BF81, 0x7B36, 0x11d2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kElementIid = {0x2933BF86, 0x7B36, 0x11d2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// One COM reference, released when the owner goes.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() { reset(); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** put() { reset(); return &p_; }
    void reset() { if (p_) { T* p = p_; p_ = nullptr; p->Release(); } }
private:
    T* p_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(const wchar_t* s = nullptr) : s_(s ? SysAllocString(s) : nullptr) {}
    ~Bstr() { SysFreeString(s_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return s_; }
    BSTR* put() { SysFreeString(s_); s_ = nullptr; return &s_; }
    const wchar_t* text() const { return s_ ? s_ : L""; }
private:
    BSTR s_;
};

// A document holding the text, or an empty reference when MSXML is missing, COM is not
// started on this thread or the text does not parse.
bool loadDocument(const XStringW& xml, ComRef<IXMLDOMDocument>& doc, XStringW& encoding)
{
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid)))
        return false;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kDocumentIid,
                                reinterpret_cast<void**>(doc.put()))) || !doc)
        return false;
    doc->put_async(VARIANT_FALSE);
    doc->put_resolveExternals(VARIANT_FALSE);
    doc->put_validateOnParse(VARIANT_FALSE);
    Bstr text(withParsableEncoding(xml, encoding).c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    return SUCCEEDED(doc->loadXML(text.get(), &ok)) && ok == VARIANT_TRUE;
}

bool rootOf(IXMLDOMDocument* doc, ComRef<IXMLDOMElement>& root)
{
    return doc->get_documentElement(root.put()) == S_OK && root;
}

// The elements of a node list, in order (text and comment nodes left out); each carries a
// reference the caller releases.
std::vector<IXMLDOMElement*> elementsOf(IXMLDOMNodeList* list)
{
    std::vector<IXMLDOMElement*> out;
    long count = 0;
    if (!list || FAILED(list->get_length(&count)))
        return out;
    for (long i = 0; i < count; ++i) {
        ComRef<IXMLDOMNode> child;
        if (list->get_item(i, child.put()) != S_OK || !child)
            continue;
        IXMLDOMElement* e = nullptr;
        if (SUCCEEDED(child->QueryInterface(kElementIid, reinterpret_cast<void**>(&e))) && e)
            out.push_back(e);
    }
    return out;
}

// The element children of node, in order.
std::vector<IXMLDOMElement*> elementChildren(IXMLDOMNode* node)
{
    ComRef<IXMLDOMNodeList> list;
    if (FAILED(node->get_childNodes(list.put())))
        return {};
    return elementsOf(list.get());
}

void releaseAll(std::vector<IXMLDOMElement*>& elements)
{
    for (IXMLDOMElement* e : elements)
        e->Release();
    elements.clear();
}

bool readAttribute(IXMLDOMElement* e, const wchar_t* name, XStringW& out)
{
    Bstr attr(name);
    VARIANT v;
    VariantInit(&v);
    bool found = e->getAttribute(attr.get(), &v) == S_OK && v.vt == VT_BSTR;
    out = found && v.bstrVal ? v.bstrVal : L"";
    VariantClear(&v);
    return found;
}

// The export's own visibility rule: no `visible` attribute, or exactly "true".
bool exportedItem(IXMLDOMElement* e)
{
    XStringW visible;
    return !readAttribute(e, L"visible", visible) || visible == L"true";
}

// A column needs both a caption and a field name; anything else is left out.
void addExportColumn(IXMLDOMElement* e, const XStringW& groupTitle, std::vector<ExportColumn>& columns)
{
    XStringW title, name;
    if (!readAttribute(e, L"title", title) || !readAttribute(e, L"name", name))
        return;
    ExportColumn column;
    column.caption = groupTitle.empty() ? title : groupTitle + L" " + title;
    column.info = Control::HeaderInfo2(name, e);
    columns.push_back(column);
}

void removeFontAttributes(IXMLDOMElement* e)
{
    for (const wchar_t* name : kFontAttributes) {
        Bstr attr(name);
        e->removeAttribute(attr.get());
    }
}

// The span of the encoding name inside a leading declaration.
bool findEncodingName(const XStringW& xml, size_t& begin, size_t& end)
{
    size_t start = xml.find(L"<?xml");
    if (start == XStringW::npos || xml.find_first_not_of(L" \t\r\n\xFEFF") != start)
        return false;
    size_t close = xml.find(L"?>", start);
    size_t enc = xml.find(L"encoding", start);
    if (close == XStringW::npos || enc == XStringW::npos || enc > close)
        return false;
    size_t quote = xml.find_first_of(L"\"'", enc);
    if (quote == XStringW::npos || quote > close)
        return false;
    size_t endQuote = xml.find(xml[quote], quote + 1);
    if (endQuote == XStringW::npos || endQuote > close)
        return false;
    begin = quote + 1;
    end = endQuote;
    return true;
}

} // namespace

XStringW withParsableEncoding(const XStringW& xml, XStringW& originalName)
{
    originalName.clear();
    size_t begin = 0, end = 0;
    if (!findEncodingName(xml, begin, end))
        return xml;
    XStringW name = xml.substr(begin, end - begin);
    XStringW lower = name.toLower();
    if (lower != L"gb2312" && lower != L"gb18030" && lower != L"cp936")
        return xml;
    originalName = name;
    XStringW out = xml;
    out.replace(begin, end - begin, L"GBK");
    return out;
}

XStringW withOriginalEncoding(const XStringW& xml, const XStringW& originalName)
{
    size_t begin = 0, end = 0;
    if (originalName.empty() || !findEncodingName(xml, begin, end) || xml.compare(begin, end - begin, L"GBK") != 0)
        return xml;
    XStringW out = xml;
    out.replace(begin, end - begin, originalName);
    return out;
}

// The header's document and its root element; false when the text does not parse.
static bool openHeader(const XStringW& xml, ComRef<IXMLDOMDocument>& doc, XStringW& encoding,
                       ComRef<IXMLDOMElement>& root)
{
    return loadDocument(xml, doc, encoding) && rootOf(doc.get(), root);
}

bool stripFontAttributes(const XStringW& xml, XStringW& out)
{
    ComRef<IXMLDOMDocument> doc;
    XStringW encoding;
    ComRef<IXMLDOMElement> root;
    if (!openHeader(xml, doc, encoding, root))
        return false;
    std::vector<IXMLDOMElement*> tops = elementChildren(root.get());
    for (IXMLDOMElement* top : tops) {
        std::vector<IXMLDOMElement*> inner = elementChildren(top);
        for (IXMLDOMElement* e : inner)
            removeFontAttributes(e);
        releaseAll(inner);
        removeFontAttributes(top);
    }
    releaseAll(tops);
    Bstr text;
    if (FAILED(doc->get_xml(text.put())) || !text.get())
        return false;
    out = withOriginalEncoding(XStringW(text.text()), encoding);
    return true;
}

namespace {

bool hiddenItem(IXMLDOMElement* e)
{
    XStringW visible;
    return readAttribute(e, L"visible", visible) && visible == L"false";
}

// The grid reads only elements named "item"; anything else is not a column.
bool isItem(IXMLDOMElement* e)
{
    Bstr name;
    return SUCCEEDED(e->get_tagName(name.put())) && wcscmp(name.text(), L"item") == 0;
}

std::vector<IXMLDOMElement*> itemChildren(IXMLDOMNode* node)
{
    std::vector<IXMLDOMElement*> all = elementChildren(node), items;
    for (IXMLDOMElement* e : all) {
        if (isItem(e)) items.push_back(e);
        else e->Release();
    }
    return items;
}

// The columns of a header (items with a name, top level and one level down) as elements,
// each carrying a reference the caller releases.
std::vector<IXMLDOMElement*> columnsOf(IXMLDOMElement* root)
{
    std::vector<IXMLDOMElement*> columns;
    std::vector<IXMLDOMElement*> tops = elementChildren(root);
    for (IXMLDOMElement* top : tops) {
        std::vector<IXMLDOMElement*> inner = elementChildren(top);
        XStringW name;
        if (inner.empty() && readAttribute(top, L"name", name) && !name.empty()) {
            top->AddRef();
            columns.push_back(top);
        }
        for (IXMLDOMElement* e : inner) {
            if (readAttribute(e, L"name", name) && !name.empty()) columns.push_back(e);
            else e->Release();
        }
    }
    releaseAll(tops);
    return columns;
}

// A copy of the element's attributes on a new item of doc, hidden, appended to root.
bool appendHiddenCopy(IXMLDOMDocument* doc, IXMLDOMElement* root, IXMLDOMElement* from)
{
    ComRef<IXMLDOMElement> item;
    Bstr tag(L"item");
    if (FAILED(doc->createElement(tag.get(), item.put())) || !item)
        return false;
    ComRef<IXMLDOMNamedNodeMap> attributes;
    long count = 0;
    if (FAILED(from->get_attributes(attributes.put())) || !attributes || FAILED(attributes->get_length(&count)))
        return false;
    for (long i = 0; i < count; ++i) {
        ComRef<IXMLDOMNode> attribute;
        Bstr name;
        VARIANT value;
        VariantInit(&value);
        if (attributes->get_item(i, attribute.put()) != S_OK || FAILED(attribute->get_nodeName(name.put())) ||
            FAILED(attribute->get_nodeValue(&value)))
            continue;
        item->setAttribute(name.get(), value);
        VariantClear(&value);
    }
    Bstr visible(L"visible");
    VARIANT hidden;
    VariantInit(&hidden);
    hidden.vt = VT_BSTR;
    hidden.bstrVal = SysAllocString(L"false");
    item->setAttribute(visible.get(), hidden);
    VariantClear(&hidden);
    ComRef<IXMLDOMNode> added;
    return SUCCEEDED(root->appendChild(item.get(), added.put()));
}

} // namespace

// Counted the way the control lays its header out, so that "no columns" here means an empty
// grid there.
int shownHeaderColumns(const XStringW& xml)
{
    ComRef<IXMLDOMDocument> doc;
    XStringW encoding;
    ComRef<IXMLDOMElement> root;
    if (!openHeader(xml, doc, encoding, root))
        return -1;
    int count = 0;
    std::vector<IXMLDOMElement*> tops = itemChildren(root.get());
    for (IXMLDOMElement* top : tops) {
        if (hiddenItem(top))
            continue;
        std::vector<IXMLDOMElement*> inner = itemChildren(top);
        if (inner.empty())
            ++count;
        for (IXMLDOMElement* e : inner)
            if (!hiddenItem(e))
                ++count;
        releaseAll(inner);
    }
    releaseAll(tops);
    return count;
}

bool appendMissingColumns(const XStringW& stored, const XStringW& defaults, XStringW& out)
{
    ComRef<IXMLDOMDocument> doc, defaultDoc;
    XStringW encoding, defaultEncoding;
    ComRef<IXMLDOMElement> root, defaultRoot;
    if (!openHeader(stored, doc, encoding, root) || !openHeader(defaults, defaultDoc, defaultEncoding, defaultRoot))
        return false;
    std::vector<IXMLDOMElement*> have = columnsOf(root.get());
    std::vector<XStringW> names;
    XStringW name;
    for (IXMLDOMElement* e : have)
        if (readAttribute(e, L"name", name)) names.push_back(name);
    releaseAll(have);
    std::vector<IXMLDOMElement*> offered = columnsOf(defaultRoot.get());
    bool added = false, failed = false;
    for (IXMLDOMElement* e : offered) {
        readAttribute(e, L"name", name);
        if (failed || std::find(names.begin(), names.end(), name) != names.end())
            continue;
        failed = !appendHiddenCopy(doc.get(), root.get(), e);
        added = added || !failed;
        names.push_back(name);
    }
    releaseAll(offered);
    Bstr text;
    if (failed || !added || FAILED(doc->get_xml(text.put())) || !text.get())
        return false;
    out = withOriginalEncoding(XStringW(text.text()), encoding);
    return true;
}

bool exportColumns(IXMLDOMNodeList* items, std::vector<ExportColumn>& columns)
{
    columns.clear();
    if (!items)
        return false;
    std::vector<IXMLDOMElement*> tops = elementsOf(items);
    for (IXMLDOMElement* top : tops) {
        if (!exportedItem(top))
            continue;
        std::vector<IXMLDOMElement*> inner = elementChildren(top);
        if (inner.empty()) {
            addExportColumn(top, XStringW(), columns);
            continue;
        }
        // A group: its columns are read as "<group caption> <column caption>", the way a
        // person reads the two caption rows on screen.
        XStringW groupTitle;
        readAttribute(top, L"title", groupTitle);
        for (IXMLDOMElement* e : inner)
            if (exportedItem(e))
                addExportColumn(e, groupTitle, columns);
        releaseAll(inner);
    }
    releaseAll(tops);
    return true;
}

} // namespace ClosedFund
