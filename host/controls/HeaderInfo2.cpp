#include "controls/HeaderInfo2.h"
#include "common/XmlDom.h"

namespace Control {

HeaderInfo2::HeaderInfo2() = default;
HeaderInfo2::HeaderInfo2(const Common::XStringW& columnName) : name(columnName) {}

HeaderInfo2::HeaderInfo2(const Common::XStringW& columnName, IXMLDOMElement* element)
    : name(columnName), element_(Common::ComPtr<IXMLDOMElement>::share(element))
{}

HeaderInfo2::HeaderInfo2(const HeaderInfo2& o) = default;
HeaderInfo2& HeaderInfo2::operator=(const HeaderInfo2& o) = default;
HeaderInfo2::HeaderInfo2(HeaderInfo2&& o) noexcept = default;
HeaderInfo2& HeaderInfo2::operator=(HeaderInfo2&& o) noexcept = default;
HeaderInfo2::~HeaderInfo2() = default;

// The new reference is taken before the old one goes, so setting the element the record
// already holds is safe.
void HeaderInfo2::SetElement(IXMLDOMElement* element) { element_ = Common::ComPtr<IXMLDOMElement>::share(element); }

bool HeaderInfo2::GetAttribute(const wchar_t* attribute, Common::XStringW& out) const
{
    return Common::XmlDom::attribute(element_.get(), attribute, out);
}

} // namespace Control
