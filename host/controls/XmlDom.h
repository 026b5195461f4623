// The few MSXML calls the grid needs, over the DOM interfaces of msxml2.h. The interface
// identifiers are our own constants: the toolchain's import library lacks some of them, and
// a library that defined the usual names would clash with a module that defines them too.
#pragma once
#include "ComPtr.h"
#include "common/XString.h"
#include <msxml2.h>
#include <vector>

namespace Control {
namespace XmlDom {

extern const IID kIIDDocument;
extern const IID kIIDElement;

// A new "Msxml2.DOMDocument.3.0"; empty when COM is not initialised on this thread or the
// component is missing.
ComPtr<IXMLDOMDocument> createDocument();
// loadXML; false when the text does not parse.
bool loadXml(IXMLDOMDocument* doc, const Common::XStringW& xml);
Common::XStringW documentXml(IXMLDOMDocument* doc);
ComPtr<IXMLDOMElement> rootElement(IXMLDOMDocument* doc);
// The element children of node named "item", in order.
std::vector<ComPtr<IXMLDOMElement>> itemChildren(IXMLDOMNode* node);
// The attribute's text; false when absent.
bool attribute(IXMLDOMElement* e, const wchar_t* name, Common::XStringW& out);
Common::XStringW attributeOr(IXMLDOMElement* e, const wchar_t* name, const wchar_t* fallback);
bool setAttribute(IXMLDOMElement* e, const wchar_t* name, const Common::XStringW& value);
bool removeAttribute(IXMLDOMElement* e, const wchar_t* name);

// Wine's parser refuses some names of the Chinese code page in the declaration that it
// reads fine as "GBK". Returns the text with such a name replaced and the name it had.
Common::XStringW withParsableEncoding(const Common::XStringW& xml, Common::XStringW& originalName);
// Puts originalName back into the declaration where "GBK" now stands.
Common::XStringW withOriginalEncoding(const Common::XStringW& xml, const Common::XStringW& originalName);

} // namespace XmlDom
} // namespace Control
