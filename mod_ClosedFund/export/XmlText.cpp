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

void appendEscaped(std::string& out, const wchar_t* text, size_t length, size_t& dropped, bool attribute)
{
    for (size_t i = 0; i < length; ++i) {
        // Plain ASCII is most of every list: a run of it goes straight through.
        size_t run = i;
        while (run < length && isPlain(text[run])) ++run;
        if (run > i) {
            size_t at = out.size();
            out.resize(at + (run - i));
            for (; i < run; ++i) out[at++] = char(text[i]);
            if (i == length) break;
        }
        wchar_t c = text[i];
        switch (c) {
        case L'&': out += "&amp;"; continue;
        case L'<': out += "&lt;"; continue;
        case L'>': out += "&gt;"; continue;
        case L'"': out += attribute ? "&quot;" : "\""; continue;
        case L'_': out += !attribute && looksEscaped(text, length, i) ? "_x005F_" : "_"; continue;
        case L'\r': out += attribute ? "&#13;" : "_x000D_"; continue;
        case L'\n': out += attribute ? "&#10;" : "\n"; continue;
        case L'\t': out += attribute ? "&#9;" : "\t"; continue;
        default: break;
        }
        if (c < 0x20 || c == 0xFFFE || c == 0xFFFF) {
            ++dropped;
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((uint32_t(c) - 0xD800) << 10) + (uint32_t(text[i + 1]) - 0xDC00));
            ++i;
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            ++dropped; // half a pair names no character
            continue;
        }
        appendUtf8(out, uint32_t(c));
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
