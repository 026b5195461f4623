#include "ConfStore.h"
#include "FileIo.h"
#include "hostapi/KernelHost.h"

namespace Kernel {

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

bool ConfStore::set(const std::string& key, const std::wstring& value)
{
    Common::CriticalSection::Lock lock(lock_);
    if (readOnly_) return false;
    auto it = entries_.find(key);
    if (it != entries_.end() && it->second == value) return true;
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
    if (readOnly_) return false;
    if (!entries_.count(key)) return true;
    ConfEntries next = entries_;
    next.erase(key);
    if (!save(next)) return false;
    entries_.swap(next);
    return true;
}

bool ConfStore::save(const ConfEntries& next)
{
    if (readOnly_ || writeBlocked_) return false;
    if (isDirectory(path_)) {
        warn(L"the file's name is taken by a folder; the change is not saved");
        return false;
    }
    const std::wstring temp = path_ + L".tmp", backup = path_ + L".bak";
    if (!writeDurably(temp, serializeConf(next))) {
        warn(L"cannot write " + temp + L" (error " + std::to_wstring(GetLastError()) + L"); the change is not saved");
        return false;
    }
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    bool hadFile = pathExists(path_);
    if (hadFile && !MoveFileExW(path_.c_str(), backup.c_str(), flags)) {
        warn(L"cannot keep the last good copy (error " + std::to_wstring(GetLastError()) +
             L"); the change is not saved");
        DeleteFileW(temp.c_str());
        return false;
    }
    if (!MoveFileExW(temp.c_str(), path_.c_str(), flags)) {
        warn(L"cannot put the new file in place (error " + std::to_wstring(GetLastError()) +
             L"); the change is not saved");
        if (hadFile) MoveFileExW(backup.c_str(), path_.c_str(), flags);
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

} // namespace Kernel
