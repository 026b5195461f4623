// The user's fund-code lists, kept in the user configuration: the watch list
// ("mod_ConcernFund") and the fund pool ("mod_FundsPool"). One code per line; a code is a
// text without blanks or control characters, and "" or "--" (no fund) is never stored.
#pragma once
#include "BuiltInModule.h"
#include "ext/FundsPoolEdit.h"
#include "hostapi/KernelHost.h"
#include <set>
#include <vector>

namespace HostShell {

extern const char kConcernFundKey[]; // "/Client2/UserConfig/ConcernFund/Codes"
extern const char kFundsPoolKey[];   // "/Client2/UserConfig/FundsPool/Codes"
// Fired (no payload) after a code was added to or removed from the fund pool.
extern const char kFundsPoolChanged[]; // "event_fundspool_changed"

class CodeList {
public:
    CodeList(XComPtr<Host::IConfManager> userConf, const char* key);
    bool contains(const XStringW& code) const { return set_.count(code) != 0; }
    // A FundsPoolAddResult: anything but FUNDSPOOL_ADDED leaves the list as before, and
    // FUNDSPOOL_NOT_SAVED comes with why in failure.
    int add(const XStringW& code, XStringW& failure);
    bool remove(const XStringW& code);
    const std::vector<XStringW>& codes() const { return codes_; }
    static bool validCode(const XStringW& code);

private:
    bool save(const std::vector<XStringW>& codes);
    XStringW writeFailure() const;

    XComPtr<Host::IConfManager> userConf_;
    const char* key_;
    std::vector<XStringW> codes_; // in the order they were added
    std::set<XStringW> set_;
};

class ConcernFundModule final : public BuiltInModule<Host::IConcernFundModule> {
public:
    explicit ConcernFundModule(XComPtr<Host::IConfManager> userConf);
    bool isConcerned(const XStringW& code) override { return list_.contains(code); }
    CodeList& list() { return list_; }
private:
    CodeList list_;
};

class FundsPoolModule final : public BuiltInModule<Host::IFundsPoolModule> {
public:
    explicit FundsPoolModule(XComPtr<Host::IConfManager> userConf);
    void addFund(XStringW code) override;
    int addFund(const XStringW& code, XStringW& failure);
    bool removeFund(const XStringW& code);
    const std::vector<XStringW>& codes() const { return list_.codes(); }
private:
    CodeList list_;
    XComPtr<Host::IHostEvent> changed_;
};

// The pool's additions with their outcome, for a module that asks for "mod_FundsPoolEdit".
class FundsPoolEditModule final : public BuiltInModule<Host::IFundsPoolEditModule> {
public:
    explicit FundsPoolEditModule(XComPtr<FundsPoolModule> pool)
        : BuiltInModule(Host::kFundsPoolEditModuleName, L"基金池"), pool_(std::move(pool))
    {}
    int addFund(const XStringW& code, XStringW& failure) override { return pool_->addFund(code, failure); }
private:
    XComPtr<FundsPoolModule> pool_;
};

} // namespace HostShell
