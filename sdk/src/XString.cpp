// The common library's text helpers.
#include "common/XString.h"
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <vector>

namespace Common {

XStringW& XStringW::makeLower()
{
    // ASCII inline; CJK ideographs, kana and hangul have no case; the rest asks the system.
    for (wchar_t& c : *this) {
        if (c < 0x80) {
            if (c >= L'A' && c <= L'Z') c = wchar_t(c + 32);
        } else if (c < 0x2E80 || c > 0xD7FF) {
            WCHAR one[1] = {c};
            CharLowerBuffW(one, 1);
            c = one[0];
        }
    }
    return *this;
}

XStringW& XStringW::formatV(const wchar_t* fmt, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = _vscwprintf(fmt, copy);
    va_end(copy);
    if (n < 0) {
        clear();
        return *this;
    }
    std::vector<wchar_t> buf(size_t(n) + 1);
    _vsnwprintf(buf.data(), buf.size(), fmt, args);
    assign(buf.data(), size_t(n));
    return *this;
}

XStringW& XStringW::format(const wchar_t* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    formatV(fmt, args);
    va_end(args);
    return *this;
}

size_t XStringW::replaceAll(const std::wstring& what, const std::wstring& with)
{
    if (what.empty()) return 0;
    size_t count = 0;
    for (size_t pos = find(what); pos != npos; pos = find(what, pos + with.size())) {
        replace(pos, what.size(), with);
        ++count;
    }
    return count;
}

unsigned codePageFromName(const char* name)
{
    if (!name) return CP_ACP;
    struct {
        const char* name;
        unsigned cp;
    } const known[] = {
        {"gb2312", 936},   {"gbk", 936},  {"cp936", 936},         {"gb18030", 54936},  {"utf-8", CP_UTF8},
        {"utf8", CP_UTF8}, {"big5", 950}, {"windows-1252", 1252}, {"us-ascii", 20127},
    };
    for (auto& k : known)
        if (_stricmp(k.name, name) == 0) return k.cp;
    return CP_ACP;
}

XStringW toWide(const char* bytes, size_t length, unsigned codePage)
{
    XStringW out;
    if (!bytes || length == 0 || length > 0x7fffffff) return out;
    int n = MultiByteToWideChar(codePage, 0, bytes, int(length), nullptr, 0);
    if (n <= 0) return out;
    out.resize(size_t(n));
    MultiByteToWideChar(codePage, 0, bytes, int(length), &out[0], n);
    return out;
}

XStringW toWide(const std::string& bytes, const char* codePageName)
{
    return toWide(bytes.data(), bytes.size(), codePageFromName(codePageName));
}

XStringA toNarrow(const wchar_t* text, size_t length, unsigned codePage)
{
    XStringA out;
    if (!text || length == 0 || length > 0x7fffffff) return out;
    int n = WideCharToMultiByte(codePage, 0, text, int(length), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return out;
    out.resize(size_t(n));
    WideCharToMultiByte(codePage, 0, text, int(length), &out[0], n, nullptr, nullptr);
    return out;
}

XStringA toNarrow(const std::wstring& text, const char* codePageName)
{
    return toNarrow(text.data(), text.size(), codePageFromName(codePageName));
}

} // namespace Common
