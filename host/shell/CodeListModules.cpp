#include "CodeListModules.h"
#include "ConfText.h"
#include "hostapi/KernelHost.h"
#include <cwctype>

namespace HostShell {

const char kConcernFundKey[] = "/Client2/UserConfig/ConcernFund/Codes";
const char kFundsPoolKey[] = "/Client2/UserConfig/FundsPool/Codes";
const char kFundsPoolChanged[] = "event_fundspool_changed";

CodeList::CodeList(XComPtr<Host::IConfManager> userConf, const char* key) : userConf_(std::move(userConf)), key_(key)
{
    XStringW text = readConfText(userConf_.get(), key_, XStringW());
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == XStringW::npos) end = text.size();
        XStringW code = text.substr(start, end - start);
        if (validCode(code) && set_.insert(code).second) codes_.push_back(code);
        start = end + 1;
    }
}

bool CodeList::validCode(const XStringW& code)
{
    if (code.empty() || code == L"--" || code.size() > 64) return false;
    for (wchar_t c : code) {
        if (std::iswspace(c) || std::iswcntrl(c)) return false;
    }
    return true;
}

bool CodeList::save(const std::vector<XStringW>& codes)
{
    XStringW text;
    for (const XStringW& code : codes) {
        if (!text.empty()) text += L'\n';
        text += code;
    }
    return writeConfText(userConf_.get(), key_, text);
}

bool CodeList::add(const XStringW& code)
{
    if (!validCode(code) || contains(code)) return false;
    std::vector<XStringW> next = codes_;
    next.push_back(code);
    if (!save(next)) return false;
    codes_.swap(next);
    set_.insert(code);
    return true;
}

bool CodeList::remove(const XStringW& code)
{
    if (!contains(code)) return false;
    std::vector<XStringW> next;
    for (const XStringW& c : codes_) {
        if (c != code) next.push_back(c);
    }
    if (!save(next)) return false;
    codes_.swap(next);
    set_.erase(code);
    return true;
}

ConcernFundModule::ConcernFundModule(XComPtr<Host::IConfManager> userConf)
    : BuiltInModule("mod_ConcernFund", L"自选基金"), list_(std::move(userConf), kConcernFundKey)
{}

FundsPoolModule::FundsPoolModule(XComPtr<Host::IConfManager> userConf)
    : BuiltInModule("mod_FundsPool", L"基金池"), list_(std::move(userConf), kFundsPoolKey),
      changed_(Host::createHostEvent(kFundsPoolChanged))
{}

// The page hands over the current row's code whatever it is; a row without a fund adds nothing.
void FundsPoolModule::addFund(XStringW code)
{
    if (!CodeList::validCode(code)) {
        Host::logWarning((L"fund pool: \"" + code + L"\" is no fund code").c_str());
        return;
    }
    if (list_.add(code) && changed_) changed_->fire(nullptr);
}

bool FundsPoolModule::removeFund(const XStringW& code)
{
    if (!list_.remove(code)) return false;
    if (changed_) changed_->fire(nullptr);
    return true;
}

} // namespace HostShell
