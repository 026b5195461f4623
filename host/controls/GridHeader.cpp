#include "GridHeader.h"
#include <algorithm>
#include <cwchar>

namespace Control {

using Common::ComPtr;
namespace XmlDom = Common::XmlDom;

namespace {

UINT alignFrom(const Common::XStringW& value, UINT fallback)
{
    if (value == L"left") return DT_LEFT;
    if (value == L"center") return DT_CENTER;
    if (value == L"right") return DT_RIGHT;
    return fallback;
}

bool isHidden(IXMLDOMElement* e)
{
    Common::XStringW v;
    return XmlDom::attribute(e, L"visible", v) && v == L"false";
}

} // namespace

bool GridHeader::load(const Common::XStringW& xml)
{
    Common::XStringW encoding;
    ComPtr<IXMLDOMDocument> doc = XmlDom::loadDocument(xml, encoding);
    if (!doc) return false;
    doc_ = doc;
    declaredEncoding_ = encoding;
    layout();
    return true;
}

Common::XStringW GridHeader::xml() const
{
    Common::XStringW text;
    XmlDom::saveDocument(doc_.get(), declaredEncoding_, text);
    return text;
}

IXMLDOMNodeList* GridHeader::items() const
{
    ComPtr<IXMLDOMElement> root = XmlDom::rootElement(doc_.get());
    IXMLDOMNodeList* list = nullptr;
    if (root && FAILED(root->get_childNodes(&list))) list = nullptr;
    return list;
}

IXMLDOMElement* GridHeader::find(IXMLDOMNodeList* items, const Common::XStringW& name) const
{
    long count = 0;
    if (!items || FAILED(items->get_length(&count))) return nullptr;
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> node;
        if (items->get_item(i, node.put()) != S_OK) continue;
        ComPtr<IXMLDOMElement> e = node.query<IXMLDOMElement>(XmlDom::kIIDElement);
        if (!e) continue;
        Common::XStringW n;
        if (XmlDom::attribute(e.get(), L"name", n) && n == name) return e.detach();
        ComPtr<IXMLDOMNodeList> children;
        if (SUCCEEDED(e->get_childNodes(children.put())))
            if (IXMLDOMElement* found = find(children.get(), name)) return found;
    }
    return nullptr;
}

std::vector<ComPtr<IXMLDOMElement>> GridHeader::topElements() const
{
    ComPtr<IXMLDOMElement> root = XmlDom::rootElement(doc_.get());
    return XmlDom::itemChildren(root.get());
}

// Reads the shown columns, the groups and the top-level items from the document.
void GridHeader::layout()
{
    ++version_;
    columns_.clear();
    groups_.clear();
    topItems_.clear();
    std::vector<ComPtr<IXMLDOMElement>> tops = topElements();
    for (size_t t = 0; t < tops.size(); ++t) {
        IXMLDOMElement* e = tops[t].get();
        topItems_.push_back({XmlDom::attributeOr(e, L"title", L""), !isHidden(e)});
        std::vector<ComPtr<IXMLDOMElement>> children = XmlDom::itemChildren(e);
        if (isHidden(e)) continue;
        if (children.empty()) {
            addColumn(e, -1, int(t));
            continue;
        }
        Group g;
        g.title = XmlDom::attributeOr(e, L"title", L"");
        g.titleAlign = alignFrom(XmlDom::attributeOr(e, L"titlealign", L""), DT_CENTER);
        g.first = int(columns_.size());
        for (auto& child : children)
            if (!isHidden(child.get())) addColumn(child.get(), int(groups_.size()), int(t));
        g.last = int(columns_.size()) - 1;
        if (g.last >= g.first) groups_.push_back(g);
    }
}

void GridHeader::addColumn(IXMLDOMElement* e, int group, int topItem)
{
    Column c;
    c.info = HeaderInfo2(XmlDom::attributeOr(e, L"name", L""), e);
    c.title = XmlDom::attributeOr(e, L"title", L"");
    c.width = std::clamp(_wtoi(XmlDom::attributeOr(e, L"width", L"80").c_str()), 0, 4000);
    c.align = alignFrom(XmlDom::attributeOr(e, L"align", L""), DT_LEFT);
    c.titleAlign = alignFrom(XmlDom::attributeOr(e, L"titlealign", L""), c.align);
    c.startDescending = XmlDom::attributeOr(e, L"sort", L"") == L"desc";
    c.sortable = XmlDom::attributeOr(e, L"sortable", L"") != L"false";
    c.checkBox = XmlDom::attributeOr(e, L"type", L"") == L"check";
    c.fontFace = XmlDom::attributeOr(e, L"font-family", L"");
    c.fontSize = std::clamp(_wtoi(XmlDom::attributeOr(e, L"font-size", L"0").c_str()), 0, 200);
    Common::XStringW style = XmlDom::attributeOr(e, L"font-style", L"");
    c.bold = style.find(L"bold") != Common::XStringW::npos;
    c.italic = style.find(L"italic") != Common::XStringW::npos;
    c.group = group;
    c.topItem = topItem;
    columns_.push_back(c);
}

bool GridHeader::moveTopItem(int from, int to)
{
    std::vector<ComPtr<IXMLDOMElement>> tops = topElements();
    int n = int(tops.size());
    if (from < 0 || from >= n || to < 0 || to > n || to == from || to == from + 1) return false;
    ComPtr<IXMLDOMElement> root = XmlDom::rootElement(doc_.get());
    ComPtr<IXMLDOMNode> moved;
    HRESULT hr;
    if (to < n) {
        VARIANT before;
        before.vt = VT_UNKNOWN;
        before.punkVal = tops[to].get(); // borrowed: not cleared
        hr = root->insertBefore(tops[from].get(), before, moved.put());
    } else {
        hr = root->appendChild(tops[from].get(), moved.put());
    }
    if (FAILED(hr)) return false;
    layout();
    return true;
}

bool GridHeader::setWidth(int column, int width)
{
    if (column < 0 || column >= int(columns_.size())) return false;
    width = std::clamp(width, 8, 4000);
    if (width == columns_[column].width) return false;
    if (!XmlDom::setAttribute(columns_[column].info.GetElement(), L"width", std::to_wstring(width))) return false;
    layout();
    return true;
}

// Showing removes the attribute: an item without it is shown by everyone who reads headers.
bool GridHeader::setTopItemVisible(int item, bool visible)
{
    std::vector<ComPtr<IXMLDOMElement>> tops = topElements();
    if (item < 0 || item >= int(tops.size()) || topItems_[item].visible == visible) return false;
    bool ok = visible ? XmlDom::removeAttribute(tops[item].get(), L"visible")
                      : XmlDom::setAttribute(tops[item].get(), L"visible", L"false");
    if (ok) layout();
    return ok;
}

} // namespace Control
