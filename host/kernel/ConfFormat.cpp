#include "ConfFormat.h"
#include <windows.h>
#include <cstdio>

namespace Kernel {

static const char kFirstLine[] = "client2-conf 1\n";

struct CrcTable {
    uint32_t entries[256];
    CrcTable()
    {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[i] = c;
        }
    }
};

uint32_t crc32(const void* bytes, size_t length)
{
    static const CrcTable crcTable; // built once, thread-safely, on first use
    const uint32_t* table = crcTable.entries;
    uint32_t crc = 0xFFFFFFFFu;
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < length; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// Keys are narrow names; anything outside printable ASCII is kept as \xHH, and "=" is
// escaped because the first bare "=" ends the key.
static std::string escapeKey(const std::string& key)
{
    std::string out;
    for (unsigned char c : key) {
        if (c == '\\' || c == '=') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[5];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else
            out += char(c);
    }
    return out;
}

// Values are UTF-16. A lone surrogate has no UTF-8 form, so it is written as \uXXXX and
// the value comes back exactly as it was stored.
static std::wstring escapeValue(const std::wstring& value)
{
    std::wstring out;
    for (size_t i = 0; i < value.size(); ++i) {
        wchar_t c = value[i];
        bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < value.size() && value[i + 1] >= 0xDC00 && value[i + 1] <= 0xDFFF) {
            out += c;
            out += value[++i];
        } else if (high || low) {
            wchar_t hex[8];
            swprintf(hex, 8, L"\\u%04X", unsigned(c));
            out += hex;
        } else if (c == L'\\')
            out += L"\\\\";
        else if (c == L'\n')
            out += L"\\n";
        else if (c == L'\r')
            out += L"\\r";
        else if (c == L'\0')
            out += L"\\0";
        else
            out += c;
    }
    return out;
}

static std::string toUtf8(const std::wstring& text)
{
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

static bool fromUtf8Strict(const std::string& bytes, std::wstring& out)
{
    out.clear();
    if (bytes.empty()) return true;
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), nullptr, 0);
    if (n <= 0) return false;
    out.resize(size_t(n));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), &out[0], n) == n;
}

std::string serializeConf(const ConfEntries& entries)
{
    std::string body = kFirstLine;
    for (const auto& entry : entries) {
        body += escapeKey(entry.first);
        body += '=';
        body += toUtf8(escapeValue(entry.second));
        body += '\n';
    }
    char last[48];
    snprintf(last, sizeof last, "end %u %08X\n", unsigned(entries.size()), unsigned(crc32(body.data(), body.size())));
    return body + last;
}

static int hexDigit(int c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads the key up to its first bare "="; pos is left after the "=".
static bool unescapeKey(const std::string& line, size_t& pos, std::string& key)
{
    for (pos = 0; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '=') {
            ++pos;
            return true;
        }
        if (c != '\\') {
            key += c;
            continue;
        }
        if (++pos >= line.size()) return false;
        char e = line[pos];
        if (e == '\\' || e == '=') {
            key += e;
            continue;
        }
        if (e != 'x' || pos + 2 >= line.size()) return false;
        int hi = hexDigit(line[pos + 1]), lo = hexDigit(line[pos + 2]);
        if (hi < 0 || lo < 0) return false;
        key += char(hi * 16 + lo);
        pos += 2;
    }
    return false;
}

static bool unescapeValue(const std::wstring& text, std::wstring& value)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\') {
            value += text[i];
            continue;
        }
        if (++i >= text.size()) return false;
        switch (text[i]) {
        case L'\\': value += L'\\'; break;
        case L'n': value += L'\n'; break;
        case L'r': value += L'\r'; break;
        case L'0': value += L'\0'; break;
        case L'u': {
            if (i + 4 >= text.size()) return false;
            unsigned code = 0;
            for (int k = 1; k <= 4; ++k) {
                int d = text[i + k] < 128 ? hexDigit(int(text[i + k])) : -1;
                if (d < 0) return false;
                code = code * 16 + unsigned(d);
            }
            value += wchar_t(code);
            i += 4;
            break;
        }
        default: return false;
        }
    }
    return true;
}

static bool parseEntry(const std::string& line, ConfEntries& entries)
{
    std::string key;
    size_t pos = 0;
    if (!unescapeKey(line, pos, key)) return false;
    std::wstring escaped, value;
    if (!fromUtf8Strict(line.substr(pos), escaped) || !unescapeValue(escaped, value)) return false;
    return entries.emplace(key, value).second; // a key twice is damage, not an update
}

bool parseConf(const std::string& bytes, ConfEntries& entries)
{
    entries.clear();
    const size_t first = sizeof kFirstLine - 1;
    if (bytes.compare(0, first, kFirstLine) != 0 || bytes.empty() || bytes.back() != '\n') return false;
    size_t lastStart = bytes.rfind('\n', bytes.size() - 2);
    if (lastStart == std::string::npos || lastStart + 1 < first) return false;
    ++lastStart;
    unsigned count = 0, crc = 0;
    char tail = 0;
    std::string last = bytes.substr(lastStart);
    if (sscanf(last.c_str(), "end %u %8X%c", &count, &crc, &tail) != 3 || tail != '\n') return false;
    if (crc32(bytes.data(), lastStart) != crc) return false;

    for (size_t pos = first; pos < lastStart;) {
        size_t end = bytes.find('\n', pos);
        if (!parseEntry(bytes.substr(pos, end - pos), entries)) {
            entries.clear();
            return false;
        }
        pos = end + 1;
    }
    if (entries.size() != count) {
        entries.clear();
        return false;
    }
    return true;
}

} // namespace Kernel
