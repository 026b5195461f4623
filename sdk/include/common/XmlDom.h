// The few MSXML ("Msxml2.DOMDocument.3.0") calls the grid's header needs, shared by the grid
// control and the module. The interface identifiers are our own constants: the toolchain's
// import library declares IID_IXMLDOMDocument2 and IID_IXMLDOMElement without defining them,
// and a library that defined the usual names would clash with a program that defines them too.
#pragma once
#include "common/ComPtr.h"
#include "common/XString.h"
#include <msxml2.h>
#include <vector>

namespace Common {
namespace XmlDom {

extern const IID kIIDDocument;
extern const IID kIIDElement;

// A new document (synchronous, no validation, no external resources); empty when COM is not
// initialised on this thread or the component is missing.
ComPtr<IXMLDOMDocument> createDocument();
// A new document holding xml, its declared encoding made parsable first (see below; the name
// it had goes to declaredEncoding). Empty when no document can be made, the text does not
// parse or it has no root element.
ComPtr<IXMLDOMDocument> loadDocument(const XStringW& xml, XStringW& declaredEncoding);
// The document serialised, with declaredEncoding put back into its declaration. False, with
// out empty, when the document cannot be written.
bool saveDocument(IXMLDOMDocument* doc, const XStringW& declaredEncoding, XStringW& out);
ComPtr<IXMLDOMElement> rootElement(IXMLDOMDocument* doc);

// The elements of a node list, in order (text and comment nodes left out).
std::vector<ComPtr<IXMLDOMElement>> elements(IXMLDOMNodeList* list);
// The element children of node, in order.
std::vector<ComPtr<IXMLDOMElement>> elementChildren(IXMLDOMNode* node);
// The element children of node named "item", in order: the only ones the grid reads.
std::vector<ComPtr<IXMLDOMElement>> itemChildren(IXMLDOMNode* node);

// The attribute's text; false, with out empty, when absent.
bool attribute(IXMLDOMElement* e, const wchar_t* name, XStringW& out);
XStringW attributeOr(IXMLDOMElement* e, const wchar_t* name, const wchar_t* fallback);
bool setAttribute(IXMLDOMElement* e, const wchar_t* name, const XStringW& value);
bool removeAttribute(IXMLDOMElement* e, const wchar_t* name);

// Wine's parser refuses a declaration naming the Chinese code page as gb2312, GB18030 or
// cp936 but reads it fine as "GBK". Returns the text with such a name replaced and the name
// it had (empty when nothing was replaced); what is stored keeps the original name.
XStringW withParsableEncoding(const XStringW& xml, XStringW& originalName);
// Puts originalName back into the declaration where "GBK" now stands.
XStringW withOriginalEncoding(const XStringW& xml, const XStringW& originalName);

} // namespace XmlDom
} // namespace Common
