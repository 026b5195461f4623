// The module's own reading and rewriting of header texts through MSXML ("Msxml2.DOMDocument.3.0"):
// stripping the concrete font attributes before a header is stored, and the column walk of
// the export. The grid control keeps its own document; these work on a copy of its text.
#pragma once
#include "common/XString.h"
#include <vector>

namespace ClosedFund {

// The three attributes the font substitution puts on an item.
extern const wchar_t* const kFontAttributes[3];

// Removes font-family, font-size and font-style from every top-level item and from the items
// one level inside it, and serialises the document again (the declared encoding kept as
// written). False, with out untouched, when the XML service cannot load or write the text.
bool stripFontAttributes(const Common::XStringW& xml, Common::XStringW& out);

// The columns an export writes: every top-level item whose `visible` is absent or exactly
// "true" and that has both a `title` and a `name`, in order. headerLine gets '"title",' per
// column and a CR LF after the walk. False, with both left empty, when the text cannot be
// loaded or has no root element.
bool exportColumns(const Common::XStringW& xml, Common::XStringW& headerLine,
                   std::vector<Common::XStringW>& names);

// The text with a declared encoding that the platform's parser refuses (gb2312, GB18030,
// cp936) named "GBK" instead, and the name it had (empty when nothing was replaced).
Common::XStringW withParsableEncoding(const Common::XStringW& xml, Common::XStringW& originalName);
// Puts originalName back where withParsableEncoding wrote "GBK".
Common::XStringW withOriginalEncoding(const Common::XStringW& xml, const Common::XStringW& originalName);

} // namespace ClosedFund
