#include "XmlDom.h"
#include <cwctype>

namespace Control {
namespace XmlDom {

const IID kIIDDocument = {0x2933BF81, 0x7B36, 0x11d2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIIDElement = {0x2933BF86, 0x7B36, 0x11d2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

ComPtr<IXMLDOMDocument> createDocument()
{
    ComPtr<IXMLDOMDocument> doc;
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid)))
        return doc;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kIIDDocument,
                                reinterpret_cast<void**>(doc.put()))))
        doc.reset();
    if (doc) {
        doc->put_async(VARIANT_FALSE);
        doc->put_validateOnParse(VARIANT_FALSE);
        doc->put_resolveExternals(VARIANT_FALSE);
    }
    return doc;
}

bool loadXml(IXMLDOMDocument* doc, const Common::XStringW& xml)
{
    ScopedBstr text(xml.c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    return doc && SUCCEEDED(doc->loadXML(text.get(), &ok)) && ok == VARIANT_TRUE;
}

Common::XStringW documentXml(IXMLDOMDocument* doc)
{
    ScopedBstr text;
    if (!doc || FAILED(doc->get_xml(text.put())))
        return {};
    return Common::XStringW(text.text());
}

ComPtr<IXMLDOMElement> rootElement(IXMLDOMDocument* doc)
{
    ComPtr<IXMLDOMElement> root;
    if (doc && doc->get_documentElement(root.put()) != S_OK)
        root.reset();
    return root;
}

std::vector<ComPtr<IXMLDOMElement>> itemChildren(IXMLDOMNode* node)
{
    std::vector<ComPtr<IXMLDOMElement>> out;
    ComPtr<IXMLDOMNodeList> list;
    if (!node || FAILED(node->get_childNodes(list.put())) || !list)
        return out;
    long count = 0;
    list->get_length(&count);
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> child;
        if (list->get_item(i, child.put()) != S_OK || !child)
            continue;
        ComPtr<IXMLDOMElement> e = child.query<IXMLDOMElement>(kIIDElement);
        ScopedBstr tag;
        if (e && SUCCEEDED(e->get_tagName(tag.put())) && wcscmp(tag.text(), L"item") == 0)
            out.push_back(e);
    }
    return out;
}

bool attribute(IXMLDOMElement* e, const wchar_t* name, Common::XStringW& out)
{
    out.clear();
    if (!e)
        return false;
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

Common::XStringW attributeOr(IXMLDOMElement* e, const wchar_t* name, const wchar_t* fallback)
{
    Common::XStringW v;
    return attribute(e, name, v) ? v : Common::XStringW(fallback);
}

bool setAttribute(IXMLDOMElement* e, const wchar_t* name, const Common::XStringW& value)
{
    if (!e)
        return false;
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
bool findEncodingName(const Common::XStringW& xml, size_t& begin, size_t& end)
{
    size_t start = xml.find(L"<?xml");
    if (start == Common::XStringW::npos || xml.find_first_not_of(L" \t\r\n\xFEFF") != start)
        return false;
    size_t close = xml.find(L"?>", start);
    size_t enc = xml.find(L"encoding", start);
    if (close == Common::XStringW::npos || enc == Common::XStringW::npos || enc > close)
        return false;
    size_t quote = xml.find_first_of(L"\"'", enc);
    if (quote == Common::XStringW::npos || quote > close)
        return false;
    size_t endQuote = xml.find(xml[quote], quote + 1);
    if (endQuote == Common::XStringW::npos || endQuote > close)
        return false;
    begin = quote + 1;
    end = endQuote;
    return true;
}

bool isRefusedChineseName(Common::XStringW name)
{
    name.makeLower();
    return name == L"gb2312" || name == L"gb18030" || name == L"cp936";
}

} // namespace

Common::XStringW withParsableEncoding(const Common::XStringW& xml, Common::XStringW& originalName)
{
    originalName.clear();
    size_t begin = 0, end = 0;
    if (!findEncodingName(xml, begin, end))
        return xml;
    Common::XStringW name = xml.substr(begin, end - begin);
    if (!isRefusedChineseName(name))
        return xml;
    originalName = name;
    Common::XStringW out = xml;
    out.replace(begin, end - begin, L"GBK");
    return out;
}

Common::XStringW withOriginalEncoding(const Common::XStringW& xml, const Common::XStringW& originalName)
{
    size_t begin = 0, end = 0;
    if (originalName.empty() || !findEncodingName(xml, begin, end) || xml.compare(begin, end - begin, L"GBK") != 0)
        return xml;
    Common::XStringW out = xml;
    out.replace(begin, end - begin, originalName);
    return out;
}

} // namespace XmlDom
} // namespace Control
