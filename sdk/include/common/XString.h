// Texts of the host's common library. XStringW is UTF-16 text (everything shown),
// XStringA narrow text (names of modules, events, theme keys, ProgIDs). Both are the
// standard strings with a few helpers; every binary uses the one C runtime (msvcrt)
// for their memory, so they may cross a DLL boundary.
#pragma once
#include <string>
#include <cstdarg>

namespace Common {

class XStringA : public std::string {
public:
    using std::string::string;
    XStringA() = default;
    XStringA(const std::string& s) : std::string(s) {}
    XStringA(std::string&& s) : std::string(std::move(s)) {}
};

class XStringW : public std::wstring {
public:
    using std::wstring::wstring;
    XStringW() = default;
    XStringW(const std::wstring& s) : std::wstring(s) {}
    XStringW(std::wstring&& s) : std::wstring(std::move(s)) {}

    // Lower-cases in place (Unicode-aware; CJK text is left as it is) and returns *this.
    XStringW& makeLower();
    XStringW toLower() const
    {
        XStringW s(*this);
        s.makeLower();
        return s;
    }
    // printf-style formatting (the C runtime's wide rules); replaces the content.
    XStringW& format(const wchar_t* fmt, ...);
    XStringW& formatV(const wchar_t* fmt, va_list args);
    // Replaces every occurrence of what by with; returns the number replaced.
    size_t replaceAll(const std::wstring& what, const std::wstring& with);
};

// Windows code page for a name such as "GB2312", "gb2312", "GBK", "UTF-8"; 0 (CP_ACP) when unknown.
unsigned codePageFromName(const char* name);
// Converts bytes in the named code page to UTF-16, and back. Invalid input never fails:
// the system's replacement characters are used.
XStringW toWide(const std::string& bytes, const char* codePageName);
XStringW toWide(const char* bytes, size_t length, unsigned codePage);
XStringA toNarrow(const std::wstring& text, const char* codePageName);
XStringA toNarrow(const wchar_t* text, size_t length, unsigned codePage);
inline XStringW fromUtf8(const std::string& s) { return toWide(s, "UTF-8"); }
inline XStringA toUtf8(const std::wstring& s) { return toNarrow(s, "UTF-8"); }

} // namespace Common
