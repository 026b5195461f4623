// The grid control's record of one column: its field name and the column's element of the
// header document. The record holds its own reference to the element.
#pragma once
#include "common/XString.h"

struct IXMLDOMElement;

namespace Control {

class HeaderInfo2 {
public:
    HeaderInfo2() = default;
    // A record that names a column only, as the export builds them.
    explicit HeaderInfo2(const Common::XStringW& columnName) : name(columnName) {}
    HeaderInfo2(const Common::XStringW& columnName, IXMLDOMElement* element);
    HeaderInfo2(const HeaderInfo2& o);
    HeaderInfo2& operator=(const HeaderInfo2& o);
    ~HeaderInfo2();

    // The element without a new reference; null for a record that names a column only.
    IXMLDOMElement* GetElement() const { return element_; }
    void SetElement(IXMLDOMElement* element);
    // The attribute's text; false (and out emptied) when the element or attribute is missing.
    bool GetAttribute(const wchar_t* attribute, Common::XStringW& out) const;

    Common::XStringW name;

private:
    IXMLDOMElement* element_ = nullptr;
};

} // namespace Control
