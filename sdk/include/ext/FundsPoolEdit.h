// The reference host's fund pool with the outcome of an addition: a sibling module found
// through IApp::getModule ("mod_FundsPoolEdit"). The client has none; its fund pool's
// addFund gives no result, so a module without this one says what it asked for, never that
// the fund went in.
#pragma once
#include "host/App.h"

namespace Host {

const char kFundsPoolEditModuleName[] = "mod_FundsPoolEdit";

enum FundsPoolAddResult {
    FUNDSPOOL_ADDED = 0,
    FUNDSPOOL_ALREADY_IN = 1,
    FUNDSPOOL_NOT_A_FUND = 2, // nothing the pool can hold ("", "--", blanks)
    FUNDSPOOL_NOT_SAVED = 3,  // the pool is as it was; failure says why ("数据目录只读")
};

struct IFundsPoolEditModule : IModule {
    virtual int addFund(const XStringW& code, XStringW& failure) = 0;
};

} // namespace Host
