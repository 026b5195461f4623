// When to tell the person that a setting of theirs was not saved: once per place and reason, until
// that place saves again, so that dragging columns about on a read-only data folder does not
// repeat the same line at every step, and a later failure after a success is told again.
#pragma once
#include "common/XString.h"
#include <map>

namespace Common {

class SaveNotice {
public:
    // The line to show for a failed save of place ("列设置"), or empty when the person was
    // already told this reason for it.
    XStringW failed(const XStringW& place, const XStringW& reason);
    void saved(const XStringW& place) { told_.erase(place); }

private:
    std::map<XStringW, XStringW> told_; // place: the reason last told
};

} // namespace Common
