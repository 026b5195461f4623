#include "CodeListModules.h"
#include "ConfText.h"
#include "hostapi/ConfHost.h"
#include "hostapi/KernelHost.h"
#include "hostapi/ShellHost.h"
#include <algorithm>
#include <cwctype>

namespace HostShell {

const char kConcernFundKey[] = "/Client2/UserConfig/ConcernFund/Codes";
const char kFundsPoolKey[] = "/Client2/UserConfig/FundsPool/Codes";
const char kFundsPoolChanged[] = "event_fundspool_changed";
const wchar_t kFundsPoolTitle[] = L"基金池";
const char kFundsPoolRemove[] = "event_fundspool_remove";

namespace {

// "已从基金池删除：150001", or for several "已从基金池删除 3 只基金：150001、150002、…" (the
// first few codes; the status bar has one line).
XStringW removedLine(const std::vector<XStringW>& codes)
{
    const size_t shown = 5;
    XStringW line = L"已从基金池删除";
    if (codes.size() > 1) line += L" " + std::to_wstring(codes.size()) + L" 只基金";
    line += L"：";
    for (size_t i = 0; i < codes.size() && i < shown; ++i) line += (i ? L"、" : L"") + codes[i];
    if (codes.size() > shown) line += L"、…";
    return line;
}

} // namespace

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
    XStringW failure;
    return removeAll({code}, failure) == 1;
}

int CodeList::removeAll(const std::vector<XStringW>& codes, XStringW& failure)
{
    std::set<XStringW> gone;
    for (const XStringW& code : codes)
        if (contains(code)) gone.insert(code);
    if (gone.empty()) return 0;
    std::vector<XStringW> next;
    for (const XStringW& c : codes_)
        if (!gone.count(c)) next.push_back(c);
    if (!save(next)) {
        failure = writeFailure();
        return -1;
    }
    codes_.swap(next);
    for (const XStringW& code : gone) set_.erase(code);
    return int(gone.size());
}

ConcernFundModule::ConcernFundModule(XComPtr<Host::IConfManager> userConf)
    : BuiltInModule("mod_ConcernFund", L"自选基金"), list_(std::move(userConf), kConcernFundKey)
{}

FundsPoolModule::FundsPoolModule(XComPtr<Host::IConfManager> userConf)
    : BuiltInModule("mod_FundsPool", kFundsPoolTitle), list_(std::move(userConf), kFundsPoolKey),
      changed_(Host::createHostEvent(kFundsPoolChanged)), remove_(Host::createHostEvent(kFundsPoolRemove))
{
    if (remove_) remove_->subscribe(&onRemove, this);
}

FundsPoolModule::~FundsPoolModule()
{
    if (remove_) remove_->unsubscribe(&onRemove, this);
}

int FundsPoolModule::initialize(Host::IApp* app, XStringW&)
{
    app_ = app;
    return 0;
}

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

int FundsPoolModule::removeFunds(const std::vector<XStringW>& codes)
{
    std::vector<XStringW> held;
    for (const XStringW& code : codes)
        if (list_.contains(code) && std::find(held.begin(), held.end(), code) == held.end()) held.push_back(code);
    XStringW failure;
    int removed = list_.removeAll(held, failure);
    if (removed < 0) {
        Host::logWarning((L"fund pool: the removal was not saved: " + failure).c_str());
        tell(saveNotice_.failed(kFundsPoolTitle, failure));
        return -1;
    }
    if (removed == 0) return 0;
    saveNotice_.saved(kFundsPoolTitle);
    if (changed_) changed_->fire(nullptr);
    tell(removedLine(held));
    return removed;
}

// Only the first pool to hear a request acts on it.
void FundsPoolModule::onRemove(void* payload, void* self)
{
    auto* request = static_cast<FundsPoolRemoval*>(payload);
    if (!request || request->handled) return;
    request->handled = true;
    request->removed = static_cast<FundsPoolModule*>(self)->removeFunds(request->codes);
}

void FundsPoolModule::tell(const XStringW& line)
{
    if (line.empty() || !app_) return;
    auto frame = app_->getModule("mod_MainFrame").cast<Host::IMainFrameHost>();
    if (frame) frame->setStatusText(line);
}

} // namespace HostShell
