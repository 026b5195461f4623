// Saved screens: the whole set of a screen's conditions under a name the person typed, kept
// in the user configuration as one line per screen. A line that cannot be read is skipped
// (and kept aside by the caller), never guessed at.
#pragma once
#include "filter/NumericRange.h"
#include <utility>
#include <vector>

namespace ClosedFund {

struct SavedScreen {
    Common::XStringW name;
    std::vector<std::pair<Common::XStringW, std::vector<Common::XStringW>>> values; // column: values
    std::vector<Common::XStringW> keywords;                        // one entry per keyword condition, its words
    std::vector<std::pair<Common::XStringW, NumericRange>> ranges; // column: range
    Common::XStringW search;                                       // the search box's text
    Common::XStringW sortColumn;                                   // empty: the table's own order
    bool sortDescending = false;
};

// One line: tab-separated fields "name=…", "v=column|value|…", "k=words", "n=column|low|high"
// (an empty end is open), "s=text", "o=column|desc"; texts escaped so that no field holds a
// tab, a line break, '|' or '='.
Common::XStringW encodeScreen(const SavedScreen& screen);
// False for a line that is not a screen (no name, a bad escape, a range that is no number).
bool decodeScreen(const Common::XStringW& line, SavedScreen& screen);

// The stored text's screens in order; lines that cannot be read go to damaged.
std::vector<SavedScreen> decodeScreens(const Common::XStringW& text, std::vector<Common::XStringW>& damaged);
Common::XStringW encodeScreens(const std::vector<SavedScreen>& screens);

} // namespace ClosedFund
