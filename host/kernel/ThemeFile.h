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

namespace Kernel {

struct ThemeData {
    std::map<std::string, COLORREF> colors;
    std::map<std::string, Host::FontSpec> fonts;
    std::map<std::string, int> ints;
    std::map<std::string, std::string> resources;   // bytes of each image
};

// Reads the theme file; false with a reason (naming the line) for a file that cannot be
// read, a line that does not parse, a key set twice or an image that cannot be read.
bool loadThemeFile(const std::wstring& file, const std::wstring& themeDir, ThemeData& data, std::wstring& error);

std::wstring fontXmlAttributes(const Host::FontSpec& font);

} // namespace Kernel
