// The grid's header: the MSXML document the control keeps, and the column layout read from
// it. Every change made here (width, order, visibility) is made in the document first and
// the layout is then read again, so the document is always what the screen shows.
#pragma once
#include "controls/HeaderInfo2.h"
#include "common/XmlDom.h"
#include <vector>

namespace Control {

class GridHeader {
public:
    // A shown column.
    struct Column {
        HeaderInfo2 info;
        Common::XStringW title;
        int width = 80;       // unscaled pixels
        UINT align = DT_LEFT; // DT_LEFT, DT_CENTER or DT_RIGHT
        UINT titleAlign = DT_LEFT;
        bool startDescending = false;
        bool sortable = true;      // false for sortable="false": the caption orders nothing itself
        bool checkBox = false;     // drawn as a check box (type="check")
        Common::XStringW fontFace; // empty: the control's font
        int fontSize = 0;          // points, 0 for the control's size
        bool bold = false, italic = false;
        int group = -1;  // index into groups(), -1 for a top-level column
        int topItem = 0; // index into topItems()
    };
    // A group caption over its shown columns first..last.
    struct Group {
        Common::XStringW title;
        UINT titleAlign = DT_CENTER;
        int first = 0, last = 0;
    };
    // A child of the root: a column or a group, shown or not (for the header menu).
    struct TopItem {
        Common::XStringW title;
        bool visible = true;
    };

    // Replaces the document; false (the old one kept) when the text does not parse, has no
    // root element or COM cannot make a document on this thread.
    bool load(const Common::XStringW& xml);
    bool empty() const { return !doc_; }
    Common::XStringW xml() const;
    IXMLDOMNodeList* items() const;
    IXMLDOMElement* find(IXMLDOMNodeList* items, const Common::XStringW& name) const;

    const std::vector<Column>& columns() const { return columns_; }
    Column& column(int i) { return columns_[i]; }
    const std::vector<Group>& groups() const { return groups_; }
    const std::vector<TopItem>& topItems() const { return topItems_; }
    bool twoLevels() const { return !groups_.empty(); }
    // Changes whenever the columns are read again (a load, a width, a move, a show or hide),
    // so that positions kept from the columns can tell they are stale.
    unsigned version() const { return version_; }

    // The column the rows are in the order of (its field name; empty for the rows' own order)
    // and its direction. A new document keeps it: loading a header does not reorder the rows.
    const Common::XStringW& sortColumn() const { return sortColumn_; }
    bool sortDescending() const { return sortDescending_; }
    void setSortColumn(const Common::XStringW& name, bool descending)
    {
        sortColumn_ = name;
        sortDescending_ = descending;
    }

    // Moves top-level item from in front of the item now at index to (topItems().size()
    // for the end). False when nothing moved.
    bool moveTopItem(int from, int to);
    bool setWidth(int column, int width);
    bool setTopItemVisible(int item, bool visible);

private:
    void layout();
    void addColumn(IXMLDOMElement* e, int group, int topItem);
    std::vector<Common::ComPtr<IXMLDOMElement>> topElements() const;

    Common::ComPtr<IXMLDOMDocument> doc_;
    Common::XStringW declaredEncoding_; // what the text declared, when we had to change it
    std::vector<Column> columns_;
    std::vector<Group> groups_;
    std::vector<TopItem> topItems_;
    unsigned version_ = 0;
    Common::XStringW sortColumn_;
    bool sortDescending_ = false;
};

} // namespace Control
