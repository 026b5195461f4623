#include "common/SaveNotice.h"

namespace Common {

XStringW SaveNotice::failed(const XStringW& place, const XStringW& reason)
{
    auto it = told_.find(place);
    if (it != told_.end() && it->second == reason) return {};
    told_[place] = reason;
    return L"无法保存" + place + L"：" + reason;
}

} // namespace Common
