#include "DbModule.h"
#include "Database.h"
#include "ShellPaths.h"
#include "host/KernelHost.h"

namespace HostShell {

DbModule::DbModule(XStringW path) : BuiltInModule("mod_Database", L"基金数据库"), path_(std::move(path)) {}

XComPtr<Host::IDatabase> DbModule::getFundDatabase()
{
    if (database_) return database_;
    XStringW error;
    if (!fileExists(path_)) {
        if (FundDb::writeFundDatabase(path_, FundDb::Content::StandardSample, 0, false, error)) {
            madeSample_ = true;
            Host::logWarning((L"no fund database: wrote the sample database (made-up funds) to " + path_).c_str());
        } else {
            Host::logWarning((L"no fund database, and the sample could not be written: " + error).c_str());
        }
    }
    database_ = FundDb::openFundDatabase(path_, error);
    if (database_ && !database_->isOpen())
        Host::logWarning((L"the fund database cannot be opened: " + database_->getLastError()).c_str());
    return database_;
}

bool DbModule::holdsSample()
{
    auto database = getFundDatabase();
    XStringW error;
    auto statement = database ? database->prepare(L"select count(*) from tb_sampleinfo", error)
                              : XComPtr<Host::IStatement>();
    return statement && statement->step() && statement->getText(0) != L"0";
}

} // namespace HostShell
