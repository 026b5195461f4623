#include "grid/GridTexts.h"

namespace ClosedFund {

using Common::XStringW;

const wchar_t* const kNoCompany = L"--";
const wchar_t* const kFallbackProfileUrl = L"https://fund.client2.example/html/%s/";

namespace {

XStringW trimmed(const XStringW& s)
{
    const wchar_t* blanks = L" \t\r\n";
    size_t first = s.find_first_not_of(blanks);
    if (first == XStringW::npos) return XStringW();
    size_t last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

bool usableTemplate(const XStringW& t)
{
    XStringW lower = t.toLower();
    bool web = lower.compare(0, 7, L"http://") == 0 || lower.compare(0, 8, L"https://") == 0;
    return web && t.find(L"%s") != XStringW::npos;
}

} // namespace

bool parsePinList(const XStringW& text, XStringW& field, std::vector<XStringW>& values)
{
    size_t eq = text.find(L'=');
    if (eq == XStringW::npos) return false;
    field = trimmed(text.substr(0, eq));
    values.clear();
    size_t from = eq + 1;
    for (;;) {
        size_t comma = text.find(L',', from);
        size_t length = comma == XStringW::npos ? XStringW::npos : comma - from;
        values.push_back(trimmed(text.substr(from, length)));
        if (comma == XStringW::npos) break;
        from = comma + 1;
    }
    return true;
}

// A fund without a company reaches the grid as NULL, which the formatter shows as "--", or as
// an initial and "-" with no name after it; neither may turn into an empty cell.
XStringW shortCompanyName(const XStringW& text)
{
    if (text == kNoCompany) return text;
    size_t dash = text.size() > 1 ? text.find(L'-', 1) : XStringW::npos;
    XStringW name = dash == XStringW::npos ? text : XStringW(text.substr(dash + 1));
    if (trimmed(name).empty() || name == L"-") return kNoCompany;
    return name;
}

bool isPlainFundCode(const XStringW& code)
{
    if (code.empty() || code.size() > 32) return false;
    for (wchar_t c : code) {
        bool plain = (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
        if (!plain) return false;
    }
    return true;
}

XStringW profileUrl(const XStringW& urlTemplate, const XStringW& code)
{
    if (!isPlainFundCode(code)) return XStringW();
    XStringW url = usableTemplate(urlTemplate) ? urlTemplate : XStringW(kFallbackProfileUrl);
    url.replace(url.find(L"%s"), 2, code);
    return url;
}

} // namespace ClosedFund
