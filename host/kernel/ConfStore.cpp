#include "ConfStore.h"
#include "FileIo.h"
#include "hostapi/KernelHost.h"

namespace Kernel {

namespace {

// What a failed write means to the person whose setting it was.
std::wstring writeFailureWords(DWORD error)
{
    switch (error) {
    case ERROR_WRITE_PROTECT:
    case ERROR_ACCESS_DENIED: return L"数据目录只读";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return L"磁盘已满";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return L"配置文件被其他程序占用";
    default: return L"无法写入数据目录（错误 " + std::to_wstring(error) + L"）";
    }
}

} // namespace

ConfStore::ConfStore(std::wstring path, bool readOnly) : path_(std::move(path)), readOnly_(readOnly) {}

void ConfStore::warn(const std::wstring& text) { Host::logWarning((L"configuration " + path_ + L": " + text).c_str()); }

// True when file held an intact store, now in entries_. A damaged file of a writable store
// is moved aside so that no later write can replace its bytes.
bool ConfStore::loadFile(const std::wstring& file, const wchar_t* role)
{
    std::string bytes;
    ReadResult read = readWholeFile(file, bytes);
    if (read == ReadResult::Missing) return false;
    if (read == ReadResult::Failed) {
        warn(std::wstring(L"cannot read the ") + role + L" " + file);
        if (!readOnly_) writeBlocked_ = true;
        return false;
    }
    if (parseConf(bytes, entries_)) return true;
    if (readOnly_) {
        warn(std::wstring(L"the ") + role + L" " + file + L" is damaged");
        return false;
    }
    std::wstring aside = moveAside(file, L".corrupt");
    if (aside.empty()) {
        warn(std::wstring(L"the ") + role + L" " + file +
             L" is damaged and cannot be moved aside; changes are refused");
        writeBlocked_ = true;
    } else {
        warn(std::wstring(L"the ") + role + L" " + file + L" is damaged; its bytes are kept in " + aside);
    }
    return false;
}

void ConfStore::load()
{
    Common::CriticalSection::Lock lock(lock_);
    entries_.clear();
    bool mainThere = pathExists(path_);
    if (loadFile(path_, L"file")) return;
    if (loadFile(path_ + L".bak", L"last good copy")) {
        warn(L"using the last good copy " + path_ + L".bak");
        return;
    }
    if (mainThere) warn(L"no intact copy left; starting from the defaults");
}

bool ConfStore::get(const std::string& key, std::wstring& value)
{
    Common::CriticalSection::Lock lock(lock_);
    auto it = entries_.find(key);
    if (it == entries_.end()) return false;
    value = it->second;
    return true;
}

bool ConfStore::contains(const std::string& key)
{
    Common::CriticalSection::Lock lock(lock_);
    return entries_.count(key) != 0;
}

std::wstring ConfStore::lastFailure()
{
    Common::CriticalSection::Lock lock(lock_);
    return lastFailure_;
}

bool ConfStore::refuse(const std::wstring& reason)
{
    lastFailure_ = reason;
    return false;
}

bool ConfStore::set(const std::string& key, const std::wstring& value)
{
    Common::CriticalSection::Lock lock(lock_);
    if (readOnly_) return refuse(L"配置只读");
    auto it = entries_.find(key);
    if (it != entries_.end() && it->second == value) {
        lastFailure_.clear();
        return true;
    }
    ConfEntries next = entries_;
    next[key] = value;
    if (!save(next)) return false;
    entries_.swap(next);
    return true;
}

// Removing a key that is not there succeeds without writing: afterwards it is absent either way.
bool ConfStore::remove(const std::string& key)
{
    Common::CriticalSection::Lock lock(lock_);
    if (readOnly_) return refuse(L"配置只读");
    if (!entries_.count(key)) {
        lastFailure_.clear();
        return true;
    }
    ConfEntries next = entries_;
    next.erase(key);
    if (!save(next)) return false;
    entries_.swap(next);
    return true;
}

bool ConfStore::save(const ConfEntries& next)
{
    if (readOnly_) return refuse(L"配置只读");
    if (isDirectory(path_)) {
        warn(L"the file's name is taken by a folder; the change is not saved");
        return refuse(L"配置文件的名字被一个文件夹占用");
    }
    if (writeBlocked_) return refuse(L"配置文件已损坏且无法移开");
    const std::wstring temp = path_ + L".tmp", backup = path_ + L".bak";
    // The system says only "access denied" for a name taken by a folder, which the person
    // would read as a read-only data folder.
    if (isDirectory(temp)) {
        warn(L"the name " + temp + L" is taken by a folder; the change is not saved");
        return refuse(L"配置文件的临时文件名被一个文件夹占用");
    }
    if (!writeDurably(temp, serializeConf(next))) return failed(L"cannot write " + temp);
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    bool hadFile = pathExists(path_);
    if (hadFile && !MoveFileExW(path_.c_str(), backup.c_str(), flags)) {
        bool refused = failed(L"cannot keep the last good copy");
        DeleteFileW(temp.c_str());
        return refused;
    }
    if (!MoveFileExW(temp.c_str(), path_.c_str(), flags)) {
        bool refused = failed(L"cannot put the new file in place");
        if (hadFile) MoveFileExW(backup.c_str(), path_.c_str(), flags);
        DeleteFileW(temp.c_str());
        return refused;
    }
    lastFailure_.clear();
    return true;
}

// Logs what failed with the system's error and keeps the person's reason; always false.
bool ConfStore::failed(const std::wstring& what)
{
    DWORD error = GetLastError();
    warn(what + L" (error " + std::to_wstring(error) + L"); the change is not saved");
    return refuse(writeFailureWords(error));
}

} // namespace Kernel
