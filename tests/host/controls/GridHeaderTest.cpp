// The header document: parsing, layout of shown columns, finding elements, records.
#include "TestGrid.h"
#include <gtest/gtest.h>
#include <msxml2.h>

using namespace GridTests;

namespace {
std::wstring squeeze(const std::wstring& s)
{
    std::wstring out;
    for (wchar_t c : s)
        if (c != L'\r' && c != L'\n' && c != L'\t') out += c;
    return out;
}
} // namespace

TEST(GridHeader, ParsesChineseTwoLevelHeaderAndKeepsItOnBadXml)
{
    GridHost host;
    Control::DataGridEx& grid = host.grid;
    ASSERT_EQ(grid.SetHeader(kTwoLevelHeader), 1);
    // "_index" is hidden; the group contributes its two columns.
    ASSERT_EQ(grid.GetColumnCount(), 5);
    EXPECT_EQ(grid.GetColumnInfo(0)->name, L"code");
    EXPECT_EQ(grid.GetColumnInfo(2)->name, L"value");
    EXPECT_EQ(grid.GetColumnInfo(5), nullptr);

    std::wstring xml = squeeze(grid.GetHeader());
    EXPECT_NE(xml.find(L"encoding=\"gb2312\""), std::wstring::npos) << xml;
    EXPECT_NE(xml.find(L"单位净值"), std::wstring::npos);
    EXPECT_NE(xml.find(L"title=\"2024-05-31\""), std::wstring::npos);

    // Elements are found by name, also inside a group, and carry their attributes.
    IXMLDOMNodeList* items = grid.GetHeaderItems();
    ASSERT_NE(items, nullptr);
    IXMLDOMElement* total = grid.GetHeader(items, L"total");
    ASSERT_NE(total, nullptr);
    Control::HeaderInfo2 info(L"total", total);
    Common::XStringW width;
    EXPECT_TRUE(info.GetAttribute(L"width", width));
    EXPECT_EQ(width, L"90");
    EXPECT_FALSE(info.GetAttribute(L"sortable", width));
    EXPECT_EQ(grid.GetHeader(items, L"missing"), nullptr);
    total->Release();
    items->Release();

    // Text that does not parse, or has no root, leaves everything as it was.
    EXPECT_EQ(grid.SetHeader(L"<header><item title=\"x\"></header>"), 0);
    EXPECT_EQ(grid.SetHeader(L""), 0);
    EXPECT_EQ(grid.GetColumnCount(), 5);
    EXPECT_EQ(squeeze(grid.GetHeader()), xml);

    // A header without declaration and one level replaces it.
    ASSERT_EQ(grid.SetHeader(L"<header><item title=\"A\" name=\"a\"/></header>"), 1);
    EXPECT_EQ(grid.GetColumnCount(), 1);
}

TEST(GridHeader, RecordHoldsItsOwnReferenceToTheElement)
{
    GridHost host;
    ASSERT_EQ(host.grid.SetHeader(kTwoLevelHeader), 1);
    IXMLDOMNodeList* items = host.grid.GetHeaderItems();
    IXMLDOMElement* e = host.grid.GetHeader(items, L"code");
    items->Release();
    ASSERT_NE(e, nullptr);
    auto refs = [&] {
        e->AddRef();
        return e->Release();
    };
    ULONG base = refs();
    {
        Control::HeaderInfo2 a(L"code", e);
        EXPECT_EQ(refs(), base + 1);
        Control::HeaderInfo2 b(a);
        Control::HeaderInfo2 c;
        c = b;
        Control::HeaderInfo2& same = c; // assigning to itself, through a second name
        c = same;
        EXPECT_EQ(refs(), base + 3);
        b = Control::HeaderInfo2(L"name only");
        EXPECT_EQ(refs(), base + 2);
        EXPECT_EQ(b.GetElement(), nullptr);
        EXPECT_EQ(c.GetElement(), e);
    }
    EXPECT_EQ(refs(), base);
    // The document outlives a new header in the records that still hold its elements.
    Control::HeaderInfo2 kept(*host.grid.GetColumnInfo(0));
    ASSERT_EQ(host.grid.SetHeader(L"<header><item name=\"z\"/></header>"), 1);
    Common::XStringW title;
    EXPECT_TRUE(kept.GetAttribute(L"title", title));
    EXPECT_EQ(title, L"代码");
    e->Release();
}
