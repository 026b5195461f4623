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
    if (database_ && !database_->isOpen()) Host::logWarning((L"the fund database cannot be opened: " + error).c_str());
    return database_;
}

XStringW DbModule::openError()
{
    auto database = fundDatabase();
    if (!database) return L"无法打开基金数据库";
    XStringW detail;
    switch (database->getOpenFailure(detail)) {
    case Host::OpenFailure::None: return {};
    case Host::OpenFailure::Damaged:
    case Host::OpenFailure::NotFundDatabase:
        return FundDb::openFailureText(database->getOpenFailure(detail)) +
               L"：可用“文件”菜单的“移开损坏的数据库”改用样本数据（原文件保留），或“打开数据文件夹”";
    case Host::OpenFailure::Busy: return L"基金数据库被其他程序占用：请关闭那个程序，再重新启动客户端";
    default:
        if (!sampleError_.empty()) return L"没有基金数据库，也无法建立样本数据库：可用“文件”菜单的“打开数据文件夹”查看";
        return L"无法打开基金数据库：可用“文件”菜单的“打开数据文件夹”查看";
    }
}

bool DbModule::canSetAside()
{
    auto database = fundDatabase();
    XStringW detail;
    Host::OpenFailure failure = database ? database->getOpenFailure(detail) : Host::OpenFailure::None;
    return failure == Host::OpenFailure::Damaged || failure == Host::OpenFailure::NotFundDatabase;
}

bool DbModule::setAside(XStringW& movedTo, XStringW& error)
{
    if (!canSetAside()) {
        error = L"基金数据库没有损坏";
        return false;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    XStringW stem;
    stem.format(L"%ls.damaged-%04u%02u%02u-%02u%02u%02u", path_.c_str(), now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
    XStringW target = stem;
    for (int n = 1; fileExists(target) || fileExists(target + L"-wal") || fileExists(target + L"-shm"); ++n)
        target = stem + L"-" + std::to_wstring(n);
    if (!MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        DWORD code = GetLastError();
        Host::logWarning((L"cannot set the fund database " + path_ + L" aside as " + target + L" (error " +
                          std::to_wstring(code) + L")")
                             .c_str());
        error = code == ERROR_SHARING_VIOLATION ? L"基金数据库被其他程序占用，无法改名" : L"无法给基金数据库改名";
        return false;
    }
    // A log or journal left beside the old file would be read as part of the new one.
    for (const wchar_t* suffix : {L"-wal", L"-shm", L"-journal"}) {
        if (fileExists(path_ + suffix)) MoveFileExW((path_ + suffix).c_str(), (target + suffix).c_str(), 0);
    }
    movedTo = target;
    Host::logWarning((L"the damaged fund database was set aside as " + target).c_str());
    XStringW written;
    if (!FundDb::writeFundDatabase(path_, FundDb::Content::CurrentSample, 0, false, written)) {
        Host::logWarning((L"the sample could not be written in place of the damaged database: " + written).c_str());
        error = L"无法建立样本数据库";
        return false;
    }
    madeSample_ = true;
    if (!database_->reopen()) {
        error = L"样本数据库无法打开";
        return false;
    }
    return true;
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
