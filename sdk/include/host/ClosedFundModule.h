// The closed-fund module as other modules see it (module "mod_ClosedFund").
#pragma once
#include "host/Modules.h"

namespace Host {

struct IClosedFundModule : IModule {
    // The closed-fund table (loaded first if it is empty); a new reference.
    virtual XComPtr<IDataTable> getDataTable() = 0;
    // Shows the page and selects the fund with exactly this code; false when it is not listed.
    virtual bool locateFund(const XStringW& code) = 0;
    // Reloads the list when the page is visible.
    virtual void refresh() = 0;
};

} // namespace Host
