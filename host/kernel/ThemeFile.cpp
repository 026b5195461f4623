#include "ThemeFile.h"
#include "FileIo.h"
#include <cstdlib>
#include <sstream>

namespace Kernel {

namespace {

std::string trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r"), e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::wstring widen(const std::string& utf8) { return Common::fromUtf8(utf8); }

bool parseColor(const std::string& text, COLORREF& out)
{
    if (text.size() != 7 || text[0] != '#' || text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
        return false;
    unsigned long rgb = strtoul(text.c_str() + 1, nullptr, 16);
    out = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return true;
}

bool parseInt(const std::string& text, int& out)
{
    if (text.empty()) return false;
    char* end = nullptr;
    long value = strtol(text.c_str(), &end, 10);
    if (*end || value < -1000000 || value > 1000000) return false;
    out = int(value);
    return true;
}

bool parseFont(const std::string& text, Host::FontSpec& font)
{
    std::string face, size, styles;
    std::istringstream in(text);
    std::getline(in, face, ',');
    std::getline(in, size, ',');
    std::getline(in, styles);
    font = Host::FontSpec();
    font.face = widen(trim(face));
    if (font.face.empty() || !parseInt(trim(size), font.size) || font.size <= 0) return false;
    std::istringstream words(styles);
    for (std::string word; words >> word;) {
        if (word == "bold")
            font.bold = true;
        else if (word == "italic")
            font.italic = true;
        else if (word == "underline")
            font.underline = true;
        else if (word != "normal")
            return false;
    }
    font.xmlAttributes = fontXmlAttributes(font);
    return true;
}

// Image paths stay inside the theme folder.
bool readImage(const std::string& relative, const std::wstring& themeDir, std::string& bytes)
{
    if (relative.empty() || relative[0] == '/' || relative[0] == '\\' || relative.find(':') != std::string::npos ||
        relative.find("..") != std::string::npos)
        return false;
    return readWholeFile(themeDir + L"\\" + widen(relative), bytes) == ReadResult::Ok && !bytes.empty();
}

// One "kind key = value" line into data; false with the reason in error.
bool parseLine(const std::string& line, const std::wstring& themeDir, ThemeData& data, std::string& error)
{
    size_t eq = line.find('=');
    std::istringstream head(eq == std::string::npos ? std::string() : line.substr(0, eq));
    std::string kind, key, rest;
    head >> kind >> key >> rest;
    std::string value = eq == std::string::npos ? std::string() : trim(line.substr(eq + 1));
    if (kind.empty() || key.empty() || !rest.empty()) {
        error = "expected \"kind key = value\"";
        return false;
    }
    if (data.colors.count(key) || data.fonts.count(key) || data.ints.count(key) || data.resources.count(key)) {
        error = "the key " + key + " is set twice; the first setting holds";
        return false;
    }
    // Parsed into a scratch value first, so that a bad value leaves no key behind.
    bool ok = false;
    if (kind == "color") {
        COLORREF color = 0;
        if ((ok = parseColor(value, color))) data.colors[key] = color;
    } else if (kind == "int") {
        int number = 0;
        if ((ok = parseInt(value, number))) data.ints[key] = number;
    } else if (kind == "font") {
        Host::FontSpec font;
        if ((ok = parseFont(value, font))) data.fonts[key] = font;
    } else if (kind == "image") {
        std::string bytes;
        if ((ok = readImage(value, themeDir, bytes))) data.resources[key] = std::move(bytes);
    } else {
        error = "unknown kind " + kind;
        return false;
    }
    if (!ok) error = "bad " + kind + " value for " + key;
    return ok;
}

void appendXmlEscaped(std::wstring& out, const std::wstring& text)
{
    for (wchar_t c : text) {
        if (c == L'&')
            out += L"&amp;";
        else if (c == L'<')
            out += L"&lt;";
        else if (c == L'>')
            out += L"&gt;";
        else if (c == L'"')
            out += L"&quot;";
        else
            out += c;
    }
}

} // namespace

std::wstring fontXmlAttributes(const Host::FontSpec& font)
{
    std::wstring style;
    if (font.bold) style += L"bold";
    if (font.italic) style += style.empty() ? L"italic" : L" italic";
    if (font.underline) style += style.empty() ? L"underline" : L" underline";
    if (style.empty()) style = L"normal";
    std::wstring out = L"font-family=\"";
    appendXmlEscaped(out, font.face);
    out += L"\" font-size=\"" + std::to_wstring(font.size) + L"\" font-style=\"" + style + L"\"";
    return out;
}

void parseThemeText(const std::string& text, const std::wstring& themeDir, ThemeData& data,
                    std::vector<std::wstring>& warnings)
{
    std::istringstream in(text);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        line = trim(line);
        if (line.empty() || line[0] == '#') continue;
        std::string reason;
        if (!parseLine(line, themeDir, data, reason))
            warnings.push_back(L"line " + std::to_wstring(number) + L": " + widen(reason));
    }
}

bool loadThemeFile(const std::wstring& file, const std::wstring& themeDir, ThemeData& data,
                   std::vector<std::wstring>& warnings, std::wstring& error)
{
    std::string bytes;
    if (readWholeFile(file, bytes) != ReadResult::Ok) {
        error = L"cannot be read";
        return false;
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    if (!bytes.empty() &&
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), nullptr, 0) <= 0) {
        error = L"is not UTF-8 text";
        return false;
    }
    parseThemeText(bytes, themeDir, data, warnings);
    return true;
}

void addBuiltInDefaults(ThemeData& data)
{
    static const ThemeData builtIn = [] {
        ThemeData parsed;
        std::vector<std::wstring> ignored; // its image line names a file of the folder
        parseThemeText(builtInThemeText(), std::wstring(), parsed, ignored);
        return parsed;
    }();
    // insert keeps what the theme set itself.
    data.colors.insert(builtIn.colors.begin(), builtIn.colors.end());
    data.fonts.insert(builtIn.fonts.begin(), builtIn.fonts.end());
    data.ints.insert(builtIn.ints.begin(), builtIn.ints.end());
}

} // namespace Kernel
