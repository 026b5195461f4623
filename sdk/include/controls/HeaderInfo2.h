// The grid control's record of one column: its field name and the column's element of the
// header document. The record holds its own reference to the element.
#pragma once
#include "common/ComPtr.h"
#include "common/XString.h"

struct IXMLDOMElement;

namespace Control {

class HeaderInfo2 {
public:
    // Out of line, as all that touch the element: MSXML's interfaces are complete only there.
    HeaderInfo2();
    // A record that names a column only, as the export builds them.
    explicit HeaderInfo2(const Common::XStringW& columnName);
    HeaderInfo2(const Common::XStringW& columnName, IXMLDOMElement* element);
    HeaderInfo2(const HeaderInfo2& o);
    HeaderInfo2& operator=(const HeaderInfo2& o);
    HeaderInfo2(HeaderInfo2&& o) noexcept;
    HeaderInfo2& operator=(HeaderInfo2&& o) noexcept;
    ~HeaderInfo2();

    // The element without a new reference; null for a record that names a column only.
    IXMLDOMElement* GetElement() const { return element_.get(); }
    void SetElement(IXMLDOMElement* element);
    // The attribute's text; false (and out emptied) when the element or attribute is missing.
    bool GetAttribute(const wchar_t* attribute, Common::XStringW& out) const;

    Common::XStringW name;

private:
    Common::ComPtr<IXMLDOMElement> element_;
};

} // namespace Control
