#include "grid/DelimitedText.h"
#include <windows.h>

namespace ClosedFund {

using Common::XStringW;

namespace {

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Digits, with group separators only between digits; returns the position after them and
// whether there was at least one digit.
size_t skipDigits(const XStringW& s, size_t i, wchar_t groupSep, bool& any)
{
    any = false;
    while (i < s.size()) {
        if (isDigit(s[i])) {
            any = true;
            ++i;
        } else if (any && (s[i] == groupSep || s[i] == L',') && i + 1 < s.size() && isDigit(s[i + 1])) {
            ++i;
        } else {
            break;
        }
    }
    return i;
}

} // namespace

bool isShownNumber(const XStringW& text, const NumberPunct& punct)
{
    size_t i = 0;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) ++i;
    bool intDigits = false, fracDigits = false;
    i = skipDigits(text, i, punct.thousandsSep, intDigits);
    if (i < text.size() && (text[i] == punct.decimalPoint || text[i] == L'.')) {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            fracDigits = true;
        }
    }
    if (!intDigits && !fracDigits) return false;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        ++i;
        if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) ++i;
        bool expDigits = false;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            expDigits = true;
        }
        if (!expDigits) return false;
    }
    if (i < text.size() && text[i] == L'%') ++i;
    return i == text.size();
}

bool looksLikeFormula(const XStringW& text, const NumberPunct& punct)
{
    if (text.empty()) return false;
    switch (text[0]) {
    case L'=':
    case L'+':
    case L'-':
    case L'@':
    case L'\t':
    case L'\r': break;
    default: return false;
    }
    return text != L"--" && !isShownNumber(text, punct);
}

void appendField(XStringW& out, const XStringW& text, const NumberPunct& punct)
{
    out += L'"';
    if (looksLikeFormula(text, punct)) out += L'\'';
    size_t from = 0;
    for (size_t quote = text.find(L'"'); quote != XStringW::npos; quote = text.find(L'"', from)) {
        out.append(text, from, quote + 1 - from);
        out += L'"';
        from = quote + 1;
    }
    out.append(text, from, XStringW::npos);
    out += L'"';
}

void appendRecord(XStringW& out, const std::vector<XStringW>& fields, wchar_t separator, const NumberPunct& punct)
{
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += separator;
        appendField(out, fields[i], punct);
    }
    out += L"\r\n";
}

std::string exportByteOrderMark(bool utf8) { return utf8 ? std::string("\xEF\xBB\xBF") : std::string("\xFF\xFE"); }

void encodeExportText(const XStringW& text, bool utf8, std::string& bytes)
{
    bytes.clear();
    if (text.empty()) return;
    if (!utf8) {
        bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
        return;
    }
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    bytes.resize(size_t(n > 0 ? n : 0));
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &bytes[0], n, nullptr, nullptr);
}

} // namespace ClosedFund
