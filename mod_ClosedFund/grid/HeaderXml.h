// The module's own reading and rewriting of header texts through MSXML ("Msxml2.DOMDocument.3.0"):
// stripping the concrete font attributes before a header is stored, and the column walk of
// the export. The grid control keeps its own document; the stripping works on a copy of its
// text, the export's column walk reads the control's own items.
#pragma once
#include "common/XString.h"
#include "controls/HeaderInfo2.h"
#include <vector>

struct IXMLDOMNodeList;

namespace ClosedFund {

// The three attributes the font substitution puts on an item.
extern const wchar_t* const kFontAttributes[3];

// Removes font-family, font-size and font-style from every top-level item and from the items
// one level inside it, and serialises the document again (the declared encoding kept as
// written). False, with out untouched, when the XML service cannot load or write the text.
bool stripFontAttributes(const Common::XStringW& xml, Common::XStringW& out);

// The columns a grid would show for the header text: items without item children and
// groups' items, all not hidden (visible="false"). -1 when the text does not parse or has no
// root element, so that a caller can tell a damaged header from an empty one.
int shownHeaderColumns(const Common::XStringW& xml);

// All the columns of a header text, shown or hidden (items without item children and
// groups' items); -1 when the text does not parse or has no root element.
int headerColumns(const Common::XStringW& xml);

// The header with at most limit columns, counted as headerColumns counts them in document
// order: every column past the limit is removed, and a group left without columns with it.
// False, with out untouched, when no column is past the limit or the text cannot be read or
// written again.
bool boundHeaderColumns(const Common::XStringW& xml, int limit, Common::XStringW& out);

// A stored header from before columns were added to the default one: every column of
// defaults (by name, top level or inside a group) that stored lacks is appended to it at the
// end, hidden, so the header menu offers it and nothing the user arranged moves. False, with
// out untouched, when nothing is missing or either text cannot be read.
bool appendMissingColumns(const Common::XStringW& stored, const Common::XStringW& defaults, Common::XStringW& out);

// A column of an export: its caption as the file's header shows it and the column's own
// record (name and element of the grid's header document), so cells format as on screen.
struct ExportColumn {
    Common::XStringW caption;
    Control::HeaderInfo2 info;
};

// The columns an export writes, in the order of the header document (the order on screen):
// every item whose `visible` is absent or exactly "true" and that has both a `title` and a
// `name`; inside a group item that passes the same rule, each such child, captioned with
// the group's title, a blank and its own title. items: the root's child list.
// False, with columns empty, without a list.
bool exportColumns(IXMLDOMNodeList* items, std::vector<ExportColumn>& columns);

} // namespace ClosedFund
