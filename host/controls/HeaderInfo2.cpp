#include "controls/HeaderInfo2.h"
#include "common/XmlDom.h"

namespace Control {

HeaderInfo2::HeaderInfo2(const Common::XStringW& columnName, IXMLDOMElement* element)
    : name(columnName), element_(element)
{
    if (element_)
        element_->AddRef();
}

HeaderInfo2::HeaderInfo2(const HeaderInfo2& o) : name(o.name), element_(o.element_)
{
    if (element_)
        element_->AddRef();
}

HeaderInfo2& HeaderInfo2::operator=(const HeaderInfo2& o)
{
    if (this == &o)
        return *this;
    name = o.name;
    SetElement(o.element_);
    return *this;
}

HeaderInfo2::~HeaderInfo2()
{
    if (element_)
        element_->Release();
}

// AddRef before Release, so that setting the element the record already holds is safe.
void HeaderInfo2::SetElement(IXMLDOMElement* element)
{
    if (element)
        element->AddRef();
    if (element_)
        element_->Release();
    element_ = element;
}

bool HeaderInfo2::GetAttribute(const wchar_t* attribute, Common::XStringW& out) const
{
    return Common::XmlDom::attribute(element_, attribute, out);
}

} // namespace Control
