// Small text rules of the closed-fund grid: pin lists from the system configuration, the
// company column, and the fund profile address.
#pragma once
#include "common/XString.h"
#include <vector>

namespace ClosedFund {

// "field = v1, v2, ..." with blanks trimmed around the field and every value. False without
// an "=" (nothing to change). A text ending right after "=" or "," gives one empty value last.
bool parsePinList(const Common::XStringW& text, Common::XStringW& field, std::vector<Common::XStringW>& values);

// What a missing company reads as, like every other missing value.
extern const wchar_t* const kNoCompany;
// The company text as shown: what follows the first "-" at position 1 or later (the stored
// text is the pinyin initial, "-" and the name); the whole text without such a "-". A text
// that names no company (empty, blank, "-", "--", an initial and "-" alone) reads "--".
Common::XStringW shortCompanyName(const Common::XStringW& text);

// True for a plain fund code: 1 to 32 ASCII letters and digits, nothing else. Only such a
// code is ever put into an address handed to the shell.
bool isPlainFundCode(const Common::XStringW& code);

// The address used when the host offers no usable profile template.
extern const wchar_t* const kFallbackProfileUrl;
// The profile address of code: the host's template (an http or https address holding "%s")
// with "%s" replaced by the code, or the fallback template when the host's is unusable.
// Empty when the code is not a plain fund code. The template is never used as a printf
// format, so its other '%' characters (escapes such as %20) stay as they are.
Common::XStringW profileUrl(const Common::XStringW& urlTemplate, const Common::XStringW& code);

} // namespace ClosedFund
