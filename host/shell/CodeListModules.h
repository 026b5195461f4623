// The user's fund-code lists, kept in the user configuration: the watch list
// ("mod_ConcernFund") and the fund pool ("mod_FundsPool"). One code per line; a code is a
// text without blanks or control characters, and "" or "--" (no fund) is never stored.
#pragma once
#include "BuiltInModule.h"
#include "common/SaveNotice.h"
#include "ext/FundsPoolEdit.h"
#include "hostapi/KernelHost.h"
#include <set>
#include <vector>

namespace HostShell {

extern const char kConcernFundKey[]; // "/Client2/UserConfig/ConcernFund/Codes"
extern const char kFundsPoolKey[];   // "/Client2/UserConfig/FundsPool/Codes"
// Fired (no payload) after a code was added to or removed from the fund pool.
extern const char kFundsPoolChanged[]; // "event_fundspool_changed"
// The pool's caption, which is also the title of the page that lists it.
extern const wchar_t kFundsPoolTitle[]; // "基金池"
// Fired by the page that lists the pool, with a FundsPoolRemoval: the pool takes the codes
// out, saves once, and tells the person in the status bar how it went.
extern const char kFundsPoolRemove[]; // "event_fundspool_remove"

struct FundsPoolRemoval {
    std::vector<XStringW> codes;
    bool handled = false; // a pool took the request (the first one to hear it)
    int removed = -1;     // codes that left the pool; -1 when the pool could not be saved
};

class CodeList {
public:
    CodeList(XComPtr<Host::IConfManager> userConf, const char* key);
    bool contains(const XStringW& code) const { return set_.count(code) != 0; }
    // A FundsPoolAddResult: anything but FUNDSPOOL_ADDED leaves the list as before, and
    // FUNDSPOOL_NOT_SAVED comes with why in failure.
    int add(const XStringW& code, XStringW& failure);
    bool remove(const XStringW& code);
    // Takes out every listed code the list holds, with one save: how many went, or -1 (the
    // list as before, failure saying why) when the save failed.
    int removeAll(const std::vector<XStringW>& codes, XStringW& failure);
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
    ~FundsPoolModule() override;
    FundsPoolModule(const FundsPoolModule&) = delete;
    FundsPoolModule& operator=(const FundsPoolModule&) = delete;
    // The application, for the main frame's status bar; let go again at uninitialize.
    int initialize(Host::IApp* app, XStringW& error) override;
    void uninitialize() override { app_.reset(); }
    void addFund(XStringW code) override;
    int addFund(const XStringW& code, XStringW& failure);
    bool removeFund(const XStringW& code);
    // Removes the codes with one save and tells the person: "已从基金池删除：…", or why the
    // pool could not be saved (once per reason, as the host tells every failed save). The
    // number removed, or -1 when nothing could be saved.
    int removeFunds(const std::vector<XStringW>& codes);
    const std::vector<XStringW>& codes() const { return list_.codes(); }

private:
    static void onRemove(void* payload, void* self);
    void tell(const XStringW& line);

    CodeList list_;
    XComPtr<Host::IHostEvent> changed_;
    XComPtr<Host::IHostEvent> remove_;
    XComPtr<Host::IApp> app_;
    Common::SaveNotice saveNotice_;
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
