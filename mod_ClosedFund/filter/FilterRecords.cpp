#include "filter/FilterRecords.h"

namespace ClosedFund {

bool GbLess::operator()(const XStringW& a, const XStringW& b) const
{
    XStringA gbA = Common::toNarrow(a, "gb2312");
    XStringA gbB = Common::toNarrow(b, "gb2312");
    // char_traits<char> compares as unsigned bytes (as memcmp does): every Chinese
    // character's bytes are above 0x80 and sort after ASCII.
    int order = gbA.compare(gbB);
    if (order != 0) return order < 0;
    return a < b;
}

namespace {

bool isSeparator(wchar_t c) { return c == L' ' || c == L'\t'; }

} // namespace

std::vector<XStringW> SplitKeywords(const XStringW& text)
{
    std::vector<XStringW> keywords;
    size_t start = 0, n = text.size();
    while (start < n && isSeparator(text[start])) ++start;
    while (start < n) {
        size_t end = start;
        while (end < n && !isSeparator(text[end])) ++end;
        keywords.push_back(XStringW(text.substr(start, end - start)));
        start = end;
        while (start < n && isSeparator(text[start])) ++start;
    }
    return keywords;
}

XStringW JoinTexts(const std::vector<XStringW>& texts, const wchar_t* separator)
{
    XStringW joined;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i) joined += separator;
        joined += texts[i];
    }
    return joined;
}

} // namespace ClosedFund
