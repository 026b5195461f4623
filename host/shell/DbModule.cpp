#include "DbModule.h"
#include "Database.h"
#include "ShellPaths.h"
#include "hostapi/KernelHost.h"
#include <windows.h>

namespace HostShell {

namespace {

// A file of 0 bytes is no database yet (a copy or a first run cut short, a touched name):
// there is nothing in it to lose, so it counts as missing. SQLite agrees: it drops a log it
// finds beside an empty file.
bool isEmptyFile(const XStringW& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.nFileSizeHigh == 0 && data.nFileSizeLow == 0;
}

} // namespace

DbModule::DbModule(XStringW path) : BuiltInModule("mod_Database", L"基金数据库"), path_(std::move(path)) {}

XComPtr<Host::IDatabase> DbModule::getFundDatabase() { return XComPtr<Host::IDatabase>(fundDatabase().get()); }

XComPtr<Host::IDatabaseHost> DbModule::fundDatabase()
{
    if (database_) return database_;
    XStringW error;
    bool missing = !fileExists(path_), empty = isEmptyFile(path_);
    if (missing || empty) {
        const wchar_t* what = missing ? L"no fund database" : L"an empty fund database file (0 bytes)";
        if (FundDb::writeFundDatabase(path_, FundDb::Content::CurrentSample, 0, empty, error)) {
            madeSample_ = true;
            Host::logWarning((what + XStringW(L": wrote the sample database (made-up funds) to ") + path_).c_str());
        } else {
            sampleError_ = error;
            Host::logWarning((what + XStringW(L", and the sample could not be written: ") + error).c_str());
        }
    }
    database_ = FundDb::openFundDatabase(path_, error);
    if (database_ && !database_->isOpen())
        Host::logWarning((L"the fund database cannot be opened: " + database_->getLastError()).c_str());
    return database_;
}

XStringW DbModule::openError()
{
    auto database = fundDatabase();
    if (database && database->isOpen()) return {};
    XStringW reason = database ? database->getLastError() : XStringW(L"no database object");
    // The database says which file in English words of its own; the bar says it once.
    XStringW prefix = L"cannot open the fund database " + path_ + L": ";
    if (reason.compare(0, prefix.size(), prefix) == 0) reason.erase(0, prefix.size());
    XStringW text = L"无法打开基金数据库 " + path_ + L"：" + reason;
    if (!sampleError_.empty()) text += L"；也无法在那里建立样本数据库：" + sampleError_;
    return text;
}

bool DbModule::holdsSample()
{
    auto database = getFundDatabase();
    XStringW error;
    auto statement =
        database ? database->prepare(L"select count(*) from tb_sampleinfo", error) : XComPtr<Host::IStatement>();
    return statement && statement->step() && statement->getText(0) != L"0";
}

} // namespace HostShell
