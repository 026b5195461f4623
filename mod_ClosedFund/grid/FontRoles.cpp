#include "grid/FontRoles.h"
#include <utility>
#include <vector>

namespace ClosedFund {

using Common::XStringW;

const FontRole kFontRoles[5] = {
    {L"font=\"_font_name\"", "fntn_font_name"},
    {L"font=\"_font_bold\"", "fntn_font_bold"},
    {L"font=\"_font_regular\"", "fntn_font_regular"},
    {L"font=\"_font_digital\"", "fntn_font_digital"},
    {L"font=\"_font_digital_bold\"", "fntn_font_digital_bold"},
};

namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// The name="value" pairs of an attribute run, each kept with its own text.
std::vector<std::pair<XStringW, XStringW>> splitAttributes(const XStringW& run)
{
    std::vector<std::pair<XStringW, XStringW>> out;
    size_t i = 0;
    while (i < run.size()) {
        while (i < run.size() && isBlank(run[i])) ++i;
        size_t eq = run.find(L'=', i);
        if (i >= run.size() || eq == XStringW::npos) break;
        size_t quote = run.find_first_of(L"\"'", eq);
        size_t close = quote == XStringW::npos ? XStringW::npos : run.find(run[quote], quote + 1);
        if (close == XStringW::npos) break;
        XStringW name = run.substr(i, eq - i);
        while (!name.empty() && isBlank(name.back())) name.pop_back();
        out.emplace_back(name, run.substr(i, close + 1 - i));
        i = close + 1;
    }
    return out;
}

// Where the tag around pos begins ('<') and ends (its '>', skipping quoted values).
void tagSpan(const XStringW& text, size_t pos, size_t& begin, size_t& end)
{
    size_t lt = text.rfind(L'<', pos);
    begin = lt == XStringW::npos ? 0 : lt;
    wchar_t quote = 0;
    for (end = begin; end < text.size(); ++end) {
        wchar_t c = text[end];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == L'"' || c == L'\'')
            quote = c;
        else if (c == L'>')
            break;
    }
}

// Whether the tag text names the attribute (as a whole name, followed by '=').
bool tagHasAttribute(const XStringW& tag, const XStringW& name)
{
    for (size_t at = tag.find(name); at != XStringW::npos; at = tag.find(name, at + 1)) {
        if (at == 0 || !isBlank(tag[at - 1])) continue;
        size_t after = at + name.size();
        while (after < tag.size() && isBlank(tag[after])) ++after;
        if (after < tag.size() && tag[after] == L'=') return true;
    }
    return false;
}

} // namespace

XStringW substituteFontRole(const XStringW& header, const wchar_t* marker, const XStringW& fontAttributes)
{
    const XStringW what(marker);
    std::vector<std::pair<XStringW, XStringW>> attributes = splitAttributes(fontAttributes);
    XStringW out;
    out.reserve(header.size() + header.size() / 4);
    size_t from = 0;
    for (size_t at = header.find(what); at != XStringW::npos; at = header.find(what, from)) {
        size_t tagBegin = 0, tagEnd = 0;
        tagSpan(header, at, tagBegin, tagEnd);
        XStringW tag = header.substr(tagBegin, tagEnd - tagBegin);
        XStringW added;
        for (const auto& a : attributes)
            if (!tagHasAttribute(tag, a.first)) added += L" " + a.second;
        out.append(header, from, at + what.size() - from);
        out += added;
        from = at + what.size();
    }
    out.append(header, from, XStringW::npos);
    return out;
}

XStringW substituteFontRoles(const XStringW& header, Host::ITheme* theme)
{
    XStringW text = header;
    for (const FontRole& role : kFontRoles) {
        Host::FontSpec font;
        if (!theme->getFont(role.themeKey, font)) continue;
        text = substituteFontRole(text, role.marker, font.xmlAttributes);
    }
    return text;
}

} // namespace ClosedFund
