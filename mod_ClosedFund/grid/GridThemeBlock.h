// The colours and fonts of the theme that the closed-fund page reads into its grid, each
// kept under its theme key. The grid itself uses only "list_highlight" of it.
#pragma once
#include "host/Theme.h"

namespace ClosedFund {

class GridThemeBlock {
public:
    static const int kColorCount = 17;
    static const int kFontCount = 5;
    // The keys in the order the page reads them.
    static const char* const kColorKeys[kColorCount];
    static const char* const kFontKeys[kFontCount];

    GridThemeBlock();

    // Reads every colour key the theme has; a key it lacks keeps its colour.
    void ReadColors(Host::ITheme* theme);
    // Reads the five font records; a key the theme lacks leaves its record empty.
    void ReadFonts(Host::ITheme* theme);

    // The colour under the key, or CLR_INVALID for a key not in the block.
    COLORREF Color(const char* key) const;
    void SetColor(const char* key, COLORREF color);
    // The font record under the key, or an empty record.
    const Host::FontSpec& Font(const char* key) const;

private:
    COLORREF colors_[kColorCount];
    Host::FontSpec fonts_[kFontCount];
};

} // namespace ClosedFund
