#include "filter/SavedScreens.h"

namespace ClosedFund {

using Common::XStringW;

namespace {

const wchar_t kHex[] = L"0123456789ABCDEF";

XStringW escape(const XStringW& text)
{
    XStringW out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (c == L'%' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'|' || c == L'=') {
            out += L'%';
            out += kHex[(c >> 4) & 15];
            out += kHex[c & 15];
        } else {
            out += c;
        }
    }
    return out;
}

int hexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

bool unescape(const XStringW& text, XStringW& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        int high = hexDigit(text[i + 1]), low = hexDigit(text[i + 2]);
        if (high < 0 || low < 0) return false;
        out += wchar_t(high * 16 + low);
        i += 2;
    }
    return true;
}

std::vector<XStringW> split(const XStringW& text, wchar_t separator)
{
    std::vector<XStringW> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(XStringW(text.substr(start, end == XStringW::npos ? XStringW::npos : end - start)));
        if (end == XStringW::npos) return parts;
        start = end + 1;
    }
}

// The escaped parts of a field's value, each unescaped; false at a bad escape.
bool parts(const XStringW& value, std::vector<XStringW>& out)
{
    out.clear();
    for (const XStringW& part : split(value, L'|')) {
        XStringW plain;
        if (!unescape(part, plain)) return false;
        out.push_back(plain);
    }
    return true;
}

bool rangeEnd(const XStringW& text, bool& has, double& value)
{
    has = !text.empty();
    return !has || parseTypedNumber(text, XStringW(), value);
}

} // namespace

XStringW encodeScreen(const SavedScreen& screen)
{
    XStringW line = L"name=" + escape(screen.name);
    for (const auto& v : screen.values) {
        line += L"\tv=" + escape(v.first);
        for (const XStringW& value : v.second) line += L"|" + escape(value);
    }
    for (const XStringW& words : screen.keywords) line += L"\tk=" + escape(words);
    for (const auto& r : screen.ranges) {
        line += L"\tn=" + escape(r.first) + L"|" + (r.second.hasLow ? numberText(r.second.low) : XStringW()) + L"|" +
                (r.second.hasHigh ? numberText(r.second.high) : XStringW());
    }
    if (!screen.search.empty()) line += L"\ts=" + escape(screen.search);
    if (!screen.sortColumn.empty())
        line += L"\to=" + escape(screen.sortColumn) + (screen.sortDescending ? L"|desc" : L"|asc");
    return line;
}

bool decodeScreen(const XStringW& line, SavedScreen& screen)
{
    screen = SavedScreen();
    std::vector<XStringW> values;
    for (const XStringW& field : split(line, L'\t')) {
        size_t equals = field.find(L'=');
        if (equals == XStringW::npos) return false;
        const XStringW kind = field.substr(0, equals), value = field.substr(equals + 1);
        if (!parts(value, values) || values.empty()) return false;
        if (kind == L"name") {
            screen.name = values[0];
        } else if (kind == L"v" && values.size() >= 2) {
            screen.values.push_back({values[0], std::vector<XStringW>(values.begin() + 1, values.end())});
        } else if (kind == L"k" && values.size() == 1) {
            screen.keywords.push_back(values[0]);
        } else if (kind == L"n" && values.size() == 3) {
            NumericRange range;
            if (!rangeEnd(values[1], range.hasLow, range.low) || !rangeEnd(values[2], range.hasHigh, range.high))
                return false;
            screen.ranges.push_back({values[0], range});
        } else if (kind == L"s" && values.size() == 1) {
            screen.search = values[0];
        } else if (kind == L"o" && values.size() == 2) {
            screen.sortColumn = values[0];
            screen.sortDescending = values[1] == L"desc";
        } else if (kind == L"name" || kind == L"v" || kind == L"k" || kind == L"n" || kind == L"s" || kind == L"o") {
            return false;
        }
        // A field of a kind this version does not know is left for a later one.
    }
    return !screen.name.empty();
}

std::vector<SavedScreen> decodeScreens(const XStringW& text, std::vector<XStringW>& damaged)
{
    std::vector<SavedScreen> screens;
    for (XStringW line : split(text, L'\n')) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.empty()) continue;
        SavedScreen screen;
        if (decodeScreen(line, screen))
            screens.push_back(screen);
        else
            damaged.push_back(line);
    }
    return screens;
}

XStringW encodeScreens(const std::vector<SavedScreen>& screens)
{
    XStringW text;
    for (const SavedScreen& screen : screens) text += encodeScreen(screen) + L"\n";
    return text;
}

} // namespace ClosedFund
