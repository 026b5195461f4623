// The common MSXML helper on its own: the encoding rewrite both ways, and what a loaded
// document must have before anything reads it.
#include "common/XmlDom.h"
#include <gtest/gtest.h>

namespace {

namespace XmlDom = Common::XmlDom;
using Common::XStringW;

TEST(XmlDom, RefusedEncodingNamesRoundTripAndOthersAreLeftAlone)
{
    const XStringW refused[] = {
        L"<?xml version=\"1.0\" encoding=\"gb2312\"?><r/>",
        L"\xFEFF  <?xml version='1.0' encoding='GB18030'?><r/>",
        L"<?xml version=\"1.0\" encoding=\"Cp936\"?><r a=\"gb2312\"/>",
    };
    for (const XStringW& xml : refused) {
        XStringW name;
        XStringW parsable = XmlDom::withParsableEncoding(xml, name);
        EXPECT_NE(parsable.find(L"GBK"), XStringW::npos) << parsable.c_str();
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(XmlDom::withOriginalEncoding(parsable, name), xml);
    }
    const XStringW kept[] = {
        L"<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>",
        L"<r encoding=\"gb2312\"/>",                        // no declaration
        L"<?xml version=\"1.0\"?><r encoding=\"gb2312\"/>", // only after it
        L"<r/><?xml version=\"1.0\" encoding=\"gb2312\"?>", // not leading
    };
    for (const XStringW& xml : kept) {
        XStringW name = L"stale";
        EXPECT_EQ(XmlDom::withParsableEncoding(xml, name), xml);
        EXPECT_TRUE(name.empty());
    }
}

TEST(XmlDom, LoadsOnlyTextWithARootAndKeepsTheDeclaredName)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    {
        XStringW encoding;
        EXPECT_FALSE(XmlDom::loadDocument(L"", encoding));
        EXPECT_FALSE(XmlDom::loadDocument(L"<?xml version=\"1.0\"?>", encoding));
        EXPECT_FALSE(XmlDom::loadDocument(L"<r><item></r>", encoding));

        auto doc = XmlDom::loadDocument(
            L"<?xml version=\"1.0\" encoding=\"gb2312\"?><r><item name=\"a\"/><x/>text<item name=\"b\"/></r>",
            encoding);
        ASSERT_TRUE(doc);
        EXPECT_EQ(encoding, L"gb2312");
        auto root = XmlDom::rootElement(doc.get());
        EXPECT_EQ(XmlDom::elementChildren(root.get()).size(), 3u);
        auto items = XmlDom::itemChildren(root.get());
        ASSERT_EQ(items.size(), 2u);
        EXPECT_EQ(XmlDom::attributeOr(items[1].get(), L"name", L""), L"b");
        XStringW saved;
        ASSERT_TRUE(XmlDom::saveDocument(doc.get(), encoding, saved));
        EXPECT_NE(saved.find(L"encoding=\"gb2312\""), XStringW::npos) << saved.c_str();
    }
    CoUninitialize();
}

} // namespace
