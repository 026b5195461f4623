// The module's stored texts: the query exactly as checked in, the header converted from the
// GB2312 bytes the binary holds, and a missing resource read as empty text.
#include "TempDir.h"
#include "base/ModuleHandle.h"
#include "base/Resources.h"
#include <gtest/gtest.h>
#include <cstdlib>

using ClosedFund::loadTextResource;
using ClosedFund::moduleInstance;

namespace {

std::wstring sourceFile(const wchar_t* relative)
{
    const wchar_t* root = _wgetenv(L"CLIENT2_SOURCE");
    return std::wstring(root ? root : L".") + L"/" + relative;
}

size_t countOf(const std::wstring& text, const std::wstring& what)
{
    size_t n = 0;
    for (size_t pos = text.find(what); pos != std::wstring::npos; pos = text.find(what, pos + 1)) ++n;
    return n;
}

} // namespace

TEST(ModuleResources, QueryIsTheCheckedInTextWithItsLineEndsAndTrailingBlank)
{
    Common::XStringW query = loadTextResource(moduleInstance(), L"SQL", L"QUERY");
    std::string stored = TestSupport::readFileBytes(sourceFile(L"mod_ClosedFund/resources/query.sql"));
    ASSERT_FALSE(stored.empty()) << "set CLIENT2_SOURCE to the source tree";
    EXPECT_EQ(query, Common::toWide(stored, "GB2312"));
    EXPECT_EQ(query.substr(0, 14), L"select a.code,");
    EXPECT_EQ(query.back(), L' ');
    EXPECT_EQ(countOf(query, L"\r\n"), 11u);
    EXPECT_EQ(countOf(query, L"\n"), 11u);
}

TEST(ModuleResources, HeaderIsReadFromGb2312AndMissingResourcesAreEmpty)
{
    Common::XStringW header = loadTextResource(moduleInstance(), L"XML", L"GRIDHEADER");
    EXPECT_NE(header.find(L"encoding=\"gb2312\""), std::wstring::npos);
    EXPECT_NE(header.find(L"title=\"折价年化收益率\" name=\"pricevalueyearincome\""), std::wstring::npos);
    EXPECT_NE(header.find(L"title=\"end_date\""), std::wstring::npos);
    EXPECT_EQ(countOf(header, L" name=\""), 21u); // twenty-one columns, the group has no name
    EXPECT_EQ(countOf(header, L"<item "), 22u);
    // The screener's columns come last and start hidden.
    size_t term = header.find(L"title=\"剩余期限\" name=\"date_due\"");
    ASSERT_NE(term, std::wstring::npos);
    EXPECT_GT(term, header.find(L"name=\"company\""));
    EXPECT_EQ(countOf(header.substr(term), L"visible=\"false\""), 3u);
    // The binary holds GB2312 bytes, not the repository's UTF-8.
    HRSRC info = FindResourceW(moduleInstance(), L"GRIDHEADER", L"XML");
    ASSERT_NE(info, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(moduleInstance(), info)));
    std::string raw(bytes, SizeofResource(moduleInstance(), info));
    EXPECT_NE(raw.find("\xD5\xDB\xBC\xDB"), std::string::npos); // "折价" in GB2312

    EXPECT_TRUE(loadTextResource(moduleInstance(), L"SQL", L"NO_SUCH_TEXT").empty());
}
