// The user's fund-code lists, kept in the user configuration: the watch list
// ("mod_ConcernFund") and the fund pool ("mod_FundsPool"). One code per line; a code is a
// text without blanks or control characters, and "" or "--" (no fund) is never stored.
#pragma once
#include "BuiltInModule.h"
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
    // False for a code that cannot be stored, one already there, or a failed write (the
    // list is then as before).
    bool add(const XStringW& code);
    bool remove(const XStringW& code);
    const std::vector<XStringW>& codes() const { return codes_; }
    static bool validCode(const XStringW& code);

private:
    bool save(const std::vector<XStringW>& codes);

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
    bool removeFund(const XStringW& code);
    const std::vector<XStringW>& codes() const { return list_.codes(); }
private:
    CodeList list_;
    XComPtr<Host::IHostEvent> changed_;
};

} // namespace HostShell
