#include "export/XmlText.h"
#include <cstdint>

namespace ClosedFund {

namespace {

bool isPlain(wchar_t c)
{
    return c >= 0x20 && c < 0x7F && c != L'&' && c != L'<' && c != L'>' && c != L'"' && c != L'_';
}

bool isHex(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }

// "_x" four hex digits "_" at text[i]: what a reader would take for an escape.
bool looksEscaped(const wchar_t* text, size_t length, size_t i)
{
    if (i + 7 > length || text[i + 1] != L'x' || text[i + 6] != L'_') return false;
    return isHex(text[i + 2]) && isHex(text[i + 3]) && isHex(text[i + 4]) && isHex(text[i + 5]);
}

void appendUtf8(std::string& out, uint32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The escape of a character XML gives a meaning of its own, or null for any other.
const char* escapeOf(const wchar_t* text, size_t length, size_t i, bool attribute)
{
    switch (text[i]) {
    case L'&': return "&amp;";
    case L'<': return "&lt;";
    case L'>': return "&gt;";
    case L'"': return attribute ? "&quot;" : "\"";
    case L'_': return !attribute && looksEscaped(text, length, i) ? "_x005F_" : "_";
    case L'\r': return attribute ? "&#13;" : "_x000D_";
    case L'\n': return attribute ? "&#10;" : "\n";
    case L'\t': return attribute ? "&#9;" : "\t";
    default: return nullptr;
    }
}

// Any other character at text[i] as UTF-8; returns the code units it took (2 for a pair).
// One XML cannot hold (a control, a non-character, half a pair) is dropped and counted.
size_t appendCharacter(std::string& out, const wchar_t* text, size_t length, size_t i, size_t& dropped)
{
    wchar_t c = text[i];
    if (c < 0x20 || c == 0xFFFE || c == 0xFFFF) {
        ++dropped;
        return 1;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((uint32_t(c) - 0xD800) << 10) + (uint32_t(text[i + 1]) - 0xDC00));
        return 2;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
        ++dropped; // half a pair names no character
        return 1;
    }
    appendUtf8(out, uint32_t(c));
    return 1;
}

void appendEscaped(std::string& out, const wchar_t* text, size_t length, size_t& dropped, bool attribute)
{
    size_t i = 0;
    while (i < length) {
        // Plain ASCII is most of every list: a run of it goes straight through.
        size_t run = i;
        while (run < length && isPlain(text[run])) ++run;
        if (run > i) {
            size_t at = out.size();
            out.resize(at + (run - i));
            for (; i < run; ++i) out[at++] = char(text[i]);
            continue;
        }
        if (const char* escape = escapeOf(text, length, i, attribute)) {
            out += escape;
            ++i;
            continue;
        }
        i += appendCharacter(out, text, length, i, dropped);
    }
}

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }

} // namespace

void appendXmlText(std::string& out, const wchar_t* text, size_t length, size_t& dropped)
{
    appendEscaped(out, text, length, dropped, false);
}

void appendXmlAttribute(std::string& out, const wchar_t* text, size_t length, size_t& dropped)
{
    appendEscaped(out, text, length, dropped, true);
}

bool needsPreservedSpace(const wchar_t* text, size_t length)
{
    return length && (isBlank(text[0]) || isBlank(text[length - 1]));
}

} // namespace ClosedFund
