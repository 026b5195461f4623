#include "CodeListModules.h"
#include "ConfText.h"
#include "hostapi/ConfHost.h"
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

XStringW CodeList::writeFailure() const
{
    auto* conf = dynamic_cast<Host::IConfManagerHost*>(userConf_.get());
    XStringW failure = conf ? conf->lastWriteFailure() : XStringW();
    return failure.empty() ? XStringW(L"用户配置未能写入") : failure;
}

int CodeList::add(const XStringW& code, XStringW& failure)
{
    if (!validCode(code)) return Host::FUNDSPOOL_NOT_A_FUND;
    if (contains(code)) return Host::FUNDSPOOL_ALREADY_IN;
    std::vector<XStringW> next = codes_;
    next.push_back(code);
    if (!save(next)) {
        failure = writeFailure();
        return Host::FUNDSPOOL_NOT_SAVED;
    }
    codes_.swap(next);
    set_.insert(code);
    return Host::FUNDSPOOL_ADDED;
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
    XStringW failure;
    addFund(code, failure);
}

int FundsPoolModule::addFund(const XStringW& code, XStringW& failure)
{
    int result = list_.add(code, failure);
    if (result == Host::FUNDSPOOL_NOT_A_FUND)
        Host::logWarning((L"fund pool: \"" + code + L"\" is no fund code").c_str());
    if (result == Host::FUNDSPOOL_ADDED && changed_) changed_->fire(nullptr);
    return result;
}

bool FundsPoolModule::removeFund(const XStringW& code)
{
    if (!list_.remove(code)) return false;
    if (changed_) changed_->fire(nullptr);
    return true;
}

} // namespace HostShell
