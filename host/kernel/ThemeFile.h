// Theme files: one UTF-8 text file "<name>.theme" per theme, one setting per line.
//
//   # a comment
//   color list_bg = #FFFFFF              red, green, blue in hex
//   int list_list_row_heihgt = 24
//   font fntn_font_name = 宋体, 12, bold  face, size in points, then "normal" or any of
//                                        "bold", "italic", "underline"
//   image refresh = light/refresh.gif    a file below the theme folder, read whole
//
// A font's XML attribute text, which header items carry, is built from the same record:
//   font-family="宋体" font-size="12" font-style="bold"
// where font-style is "normal" or the style words in the order bold, italic, underline,
// separated by blanks ("bold italic").
#pragma once
#include "host/Theme.h"
#include <map>
#include <string>
#include <vector>

namespace Kernel {

struct ThemeData {
    std::map<std::string, COLORREF> colors;
    std::map<std::string, Host::FontSpec> fonts;
    std::map<std::string, int> ints;
    std::map<std::string, std::string> resources; // bytes of each image
};

// Reads the theme text into data. A line that does not parse, a key set again or an image
// that cannot be read is skipped, its reason (naming the line) added to warnings: one bad
// line must not cost a theme every good key it has.
void parseThemeText(const std::string& text, const std::wstring& themeDir, ThemeData& data,
                    std::vector<std::wstring>& warnings);
// Reads the theme file as above; false with a reason only for a file that cannot be read
// or is not UTF-8 text.
bool loadThemeFile(const std::wstring& file, const std::wstring& themeDir, ThemeData& data,
                   std::vector<std::wstring>& warnings, std::wstring& error);

// The shipped light theme's text, built into the kernel.
const char* builtInThemeText();
// Gives every colour, font and number key that data lacks the built-in theme's value, so
// that a theme missing a key still draws every part of the client.
void addBuiltInDefaults(ThemeData& data);

std::wstring fontXmlAttributes(const Host::FontSpec& font);

} // namespace Kernel
