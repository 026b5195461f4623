// The module's stored texts at work: the query, read from the binary, fills the sample's
// funds with every field the header's columns show; the header, read from the GB2312 bytes
// the binary holds, gives the page its columns in order with their Chinese captions and the
// data date over the net values; a missing resource reads as empty text.
#include "Database.h"
#include "TempDir.h"
#include "base/ModuleHandle.h"
#include "base/Resources.h"
#include "common/XmlDom.h"
#include "grid/ClosedFundGrid.h"
#include "hostapi/DataHost.h"
#include <gtest/gtest.h>
#include <vector>

using ClosedFund::loadTextResource;
using ClosedFund::moduleInstance;
using Common::ComPtr;
using Common::XStringW;
namespace XmlDom = Common::XmlDom;

namespace {

// Every column the header names, shown or hidden, in its order: (name, title, shown).
struct HeaderColumn {
    XStringW name, title;
    bool shown;
};

std::vector<HeaderColumn> headerColumns(ClosedFund::closedFundGrid& grid)
{
    std::vector<HeaderColumn> columns;
    auto items = ComPtr<IXMLDOMNodeList>::adopt(grid.GetHeaderItems());
    for (const ComPtr<IXMLDOMElement>& top : XmlDom::elements(items.get())) {
        std::vector<ComPtr<IXMLDOMElement>> leaves = XmlDom::itemChildren(top.get());
        if (leaves.empty()) leaves.push_back(top);
        for (const ComPtr<IXMLDOMElement>& leaf : leaves)
            columns.push_back({XmlDom::attributeOr(leaf.get(), L"name", L""),
                               XmlDom::attributeOr(leaf.get(), L"title", L""),
                               XmlDom::attributeOr(leaf.get(), L"visible", L"true") != L"false"});
    }
    return columns;
}

// The grid with the module's default header, as the page first loads it on dataDate.
void loadDefaultHeader(ClosedFund::closedFundGrid& grid, const XStringW& dataDate)
{
    grid.DataDate() = dataDate;
    ASSERT_EQ(grid.SetHeaderText(grid.LoadHeaderText()), 1);
}

} // namespace

TEST(ModuleResources, TheQueryFillsTheSampleWithEveryFieldTheHeaderShows)
{
    TestSupport::TempDir dir;
    XStringW error;
    ASSERT_TRUE(FundDb::writeFundDatabase(dir.file(L"funds.db"), FundDb::Content::StandardSample, 0, true, error));
    XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(dir.file(L"funds.db"), error);
    ASSERT_TRUE(db && db->isOpen()) << Common::toUtf8(error);

    // The client's own fill, with the text as the binary holds it.
    XStringW query = loadTextResource(moduleInstance(), L"SQL", L"QUERY");
    auto table = Host::createHostTable();
    db->fillTable(query, table.get(), true, 0);
    ASSERT_EQ(table->getRowCount(), 60) << "every fund of the sample once: the joins neither add nor drop one";
    // The company comes from the query's last join, shown after its pinyin initial.
    XComPtr<Host::IColumnItem> company = table->getRow(0)->getItem(L"company");
    ASSERT_TRUE(company);
    EXPECT_EQ(company->getText(), L"j-甲号示例基金管理有限公司");

    // Every column the page can show is a field of the table, but for the running numbers
    // the grid counts itself.
    ClosedFund::closedFundGrid grid;
    loadDefaultHeader(grid, L"2026-06-26");
    std::vector<HeaderColumn> columns = headerColumns(grid);
    ASSERT_GT(columns.size(), 15u);
    for (const HeaderColumn& column : columns) {
        if (column.name == L"_index" || column.name == L"index_rank") continue;
        EXPECT_GE(table->getColumnIndex(column.name), 0) << Common::toUtf8(column.name) << " is no field of the query";
    }
}

TEST(ModuleResources, TheHeaderGivesThePageItsColumnsInOrder)
{
    ClosedFund::closedFundGrid grid;
    loadDefaultHeader(grid, L"2026-06-26");
    const std::vector<std::pair<const wchar_t*, const wchar_t*>> shown = {
        {L"index_rank", L"排序"},        {L"aliascode", L"代码"},      {L"name", L"名称"},
        {L"value", L"单位净值"},         {L"totalvalue", L"累计净值"}, {L"increase", L"增长值"},
        {L"increasepercent", L"增长率"}, {L"price", L"市价"},          {L"pricevalue", L"折价值"},
        {L"pricevaluerate", L"折价率"},  {L"expiredate", L"到期日"},   {L"pricevalueyearincome", L"折价年化收益率"},
        {L"investtype", L"投资类型"},    {L"fundtype", L"基金类型"},   {L"investstyle", L"投资风格"},
        {L"createdate", L"成立日期"},    {L"company", L"基金公司"},
    };
    ASSERT_EQ(grid.GetColumnCount(), int(shown.size()));
    for (int c = 0; c < grid.GetColumnCount(); ++c) {
        const Control::HeaderInfo2* info = grid.GetColumnInfo(c);
        XStringW title;
        info->GetAttribute(L"title", title);
        EXPECT_EQ(info->name, shown[c].first) << c;
        EXPECT_EQ(title, shown[c].second) << c << ": a caption read from GB2312";
    }

    // The net values stand under the data date; the running number and the screener's
    // columns come hidden, for the header menu to show.
    std::vector<HeaderColumn> columns = headerColumns(grid);
    std::vector<XStringW> hidden;
    for (const HeaderColumn& column : columns)
        if (!column.shown) hidden.push_back(column.title);
    EXPECT_EQ(hidden, (std::vector<XStringW>{L"序号", L"剩余期限", L"基金份额(亿份)", L"持有人户数"}));
    auto items = ComPtr<IXMLDOMNodeList>::adopt(grid.GetHeaderItems());
    auto value = ComPtr<IXMLDOMElement>::adopt(grid.GetHeader(items.get(), L"value"));
    ComPtr<IXMLDOMNode> group;
    ASSERT_TRUE(value && value->get_parentNode(group.put()) == S_OK && group);
    EXPECT_EQ(XmlDom::attributeOr(group.query<IXMLDOMElement>(XmlDom::kIIDElement).get(), L"title", L""),
              L"2026-06-26");
}

TEST(ModuleResources, AMissingResourceIsEmptyText)
{
    EXPECT_TRUE(loadTextResource(moduleInstance(), L"SQL", L"NO_SUCH_TEXT").empty());
    EXPECT_FALSE(loadTextResource(moduleInstance(), L"XML", L"GRIDHEADER").empty());
}
