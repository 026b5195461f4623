#include "page/PageScreens.h"
#include "base/HostServices.h"
#include "base/ModuleLog.h"
#include "host/Kernel.h"

namespace ClosedFund {

const char* const kSavedScreensKey = "/Client2/UserConfig/mod_ClosedFund/SavedScreens";
const char* const kDamagedSavedScreensKey = "/Client2/UserConfig/mod_ClosedFund/SavedScreens_damaged";

namespace {

const wchar_t kPlace[] = L"我的筛选";

XStringW readText(Host::IConfManager* conf, const char* path)
{
    XComPtr<Host::IConfKey> key = conf ? conf->getKey(path) : XComPtr<Host::IConfKey>();
    XComPtr<Host::IConfValue> value = key ? key->getValue() : XComPtr<Host::IConfValue>();
    return value ? value->getString() : XStringW();
}

// setValue gives no result through the client's interface: the value is read back.
bool writeText(Host::IConfManager* conf, const char* path, const XStringW& text)
{
    if (!conf) return false;
    XComPtr<Host::IConfKey> key = conf->getKey(path);
    if (!key) key = conf->createKey(path);
    XComPtr<Host::IConfValue> value = Host::createInstanceAs<Host::IConfValue>("Conf.ConfValue");
    if (!key || !value) return false;
    value->setString(text);
    key->setValue(value.get());
    return readText(conf, path) == text;
}

} // namespace

XStringW PageScreens::LoadScreens() { return readText(userConf_().get(), kSavedScreensKey); }

bool PageScreens::StoreScreens(const XStringW& text)
{
    XComPtr<Host::IConfManager> conf = userConf_();
    if (writeText(conf.get(), kSavedScreensKey, text)) {
        notice_.saved(kPlace);
        return true;
    }
    XStringW reason = HostServices::get().writeFailure(conf.get());
    logWarning((L"closed-fund page: the saved screens were not kept: " + reason).c_str());
    XStringW line = notice_.failed(kPlace, reason);
    if (!line.empty()) grid_.ShowStatus(line);
    return false;
}

// Added to what was put aside before, so that nothing once there is lost.
void PageScreens::KeepDamagedScreens(const XStringW& lines)
{
    XComPtr<Host::IConfManager> conf = userConf_();
    XStringW kept = readText(conf.get(), kDamagedSavedScreensKey);
    if (!kept.empty() && kept.back() != L'\n') kept += L'\n';
    bool stored = writeText(conf.get(), kDamagedSavedScreensKey, kept + lines);
    logWarning(stored
                   ? L"closed-fund page: saved screens that cannot be read were put aside in SavedScreens_damaged"
                   : L"closed-fund page: saved screens that cannot be read are skipped (they could not be put aside)");
}

void PageScreens::CurrentSort(XStringW& column, bool& descending)
{
    column = grid_.SortColumn();
    descending = grid_.SortDescending();
}

bool PageScreens::ApplySort(const XStringW& column, bool descending) { return grid_.sort(column, descending ? 1 : 0); }

} // namespace ClosedFund
