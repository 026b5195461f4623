// A path as the person typed it and as the program opens it. Under Wine the scripts hand a
// Linux path ("/tmp/funds.db") over as it was typed: the program opens it where Wine maps it
// ("Z:\tmp\funds.db") and names it as typed in every message.
#pragma once
#include "common/XString.h"

namespace FundTableText {

struct GivenPath {
    Common::XStringW given;  // for messages
    Common::XStringW opened; // for the file calls
};

// An absolute Linux path is opened through Wine's mapping when the program runs under Wine;
// any other path (relative, or a Windows one) is opened as it is.
GivenPath givenPath(const Common::XStringW& typed);

// text with every mention of the opened path put as it was given.
Common::XStringW asGiven(Common::XStringW text, const GivenPath& path);

} // namespace FundTableText
