#include "common/XmlDom.h"
#include <cwchar>

namespace Common {
namespace XmlDom {

const IID kIIDDocument = {0x2933BF81, 0x7B36, 0x11d2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIIDElement = {0x2933BF86, 0x7B36, 0x11d2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

ComPtr<IXMLDOMDocument> createDocument()
{
    ComPtr<IXMLDOMDocument> doc;
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid))) return doc;
    if (FAILED(
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kIIDDocument, reinterpret_cast<void**>(doc.put()))))
        doc.reset();
    if (doc) {
        doc->put_async(VARIANT_FALSE);
        doc->put_validateOnParse(VARIANT_FALSE);
        doc->put_resolveExternals(VARIANT_FALSE);
    }
    return doc;
}

ComPtr<IXMLDOMDocument> loadDocument(const XStringW& xml, XStringW& declaredEncoding)
{
    ComPtr<IXMLDOMDocument> doc = createDocument();
    if (!doc) return doc;
    ScopedBstr text(withParsableEncoding(xml, declaredEncoding).c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    if (FAILED(doc->loadXML(text.get(), &ok)) || ok != VARIANT_TRUE || !rootElement(doc.get())) doc.reset();
    return doc;
}

bool saveDocument(IXMLDOMDocument* doc, const XStringW& declaredEncoding, XStringW& out)
{
    out.clear();
    ScopedBstr text;
    if (!doc || FAILED(doc->get_xml(text.put())) || !text.get()) return false;
    out = withOriginalEncoding(XStringW(text.text()), declaredEncoding);
    return true;
}

ComPtr<IXMLDOMElement> rootElement(IXMLDOMDocument* doc)
{
    ComPtr<IXMLDOMElement> root;
    if (doc && doc->get_documentElement(root.put()) != S_OK) root.reset();
    return root;
}

std::vector<ComPtr<IXMLDOMElement>> elements(IXMLDOMNodeList* list)
{
    std::vector<ComPtr<IXMLDOMElement>> out;
    long count = 0;
    if (!list || FAILED(list->get_length(&count))) return out;
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> child;
        if (list->get_item(i, child.put()) != S_OK || !child) continue;
        ComPtr<IXMLDOMElement> e = child.query<IXMLDOMElement>(kIIDElement);
        if (e) out.push_back(e);
    }
    return out;
}

std::vector<ComPtr<IXMLDOMElement>> elementChildren(IXMLDOMNode* node)
{
    ComPtr<IXMLDOMNodeList> list;
    if (!node || FAILED(node->get_childNodes(list.put()))) return {};
    return elements(list.get());
}

std::vector<ComPtr<IXMLDOMElement>> itemChildren(IXMLDOMNode* node)
{
    std::vector<ComPtr<IXMLDOMElement>> items;
    for (ComPtr<IXMLDOMElement>& e : elementChildren(node)) {
        ScopedBstr tag;
        if (SUCCEEDED(e->get_tagName(tag.put())) && wcscmp(tag.text(), L"item") == 0) items.push_back(std::move(e));
    }
    return items;
}

bool attribute(IXMLDOMElement* e, const wchar_t* name, XStringW& out)
{
    out.clear();
    if (!e) return false;
    ScopedBstr attr(name);
    VARIANT v;
    VariantInit(&v);
    if (e->getAttribute(attr.get(), &v) != S_OK || v.vt != VT_BSTR) {
        VariantClear(&v);
        return false;
    }
    out = v.bstrVal ? v.bstrVal : L"";
    VariantClear(&v);
    return true;
}

XStringW attributeOr(IXMLDOMElement* e, const wchar_t* name, const wchar_t* fallback)
{
    XStringW v;
    return attribute(e, name, v) ? v : XStringW(fallback);
}

bool setAttribute(IXMLDOMElement* e, const wchar_t* name, const XStringW& value)
{
    if (!e) return false;
    ScopedBstr attr(name);
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(value.c_str());
    HRESULT hr = e->setAttribute(attr.get(), v);
    VariantClear(&v);
    return SUCCEEDED(hr);
}

bool removeAttribute(IXMLDOMElement* e, const wchar_t* name)
{
    ScopedBstr attr(name);
    return e && SUCCEEDED(e->removeAttribute(attr.get()));
}

namespace {

// The span of the encoding name inside a leading declaration; false when there is none.
bool findEncodingName(const XStringW& xml, size_t& begin, size_t& end)
{
    size_t start = xml.find(L"<?xml");
    if (start == XStringW::npos || xml.find_first_not_of(L" \t\r\n\xFEFF") != start) return false;
    size_t close = xml.find(L"?>", start);
    size_t enc = xml.find(L"encoding", start);
    if (close == XStringW::npos || enc == XStringW::npos || enc > close) return false;
    size_t quote = xml.find_first_of(L"\"'", enc);
    if (quote == XStringW::npos || quote > close) return false;
    size_t endQuote = xml.find(xml[quote], quote + 1);
    if (endQuote == XStringW::npos || endQuote > close) return false;
    begin = quote + 1;
    end = endQuote;
    return true;
}

bool isRefusedChineseName(const XStringW& name)
{
    XStringW lower = name.toLower();
    return lower == L"gb2312" || lower == L"gb18030" || lower == L"cp936";
}

} // namespace

XStringW withParsableEncoding(const XStringW& xml, XStringW& originalName)
{
    originalName.clear();
    size_t begin = 0, end = 0;
    if (!findEncodingName(xml, begin, end)) return xml;
    XStringW name = xml.substr(begin, end - begin);
    if (!isRefusedChineseName(name)) return xml;
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

} // namespace XmlDom
} // namespace Common
