// One configuration file held in memory. Every change is written whole to "<file>.tmp",
// flushed, and then put in place by renames: the file before the change becomes
// "<file>.bak", the new one takes its name. A crash at any moment leaves either the old
// or the new store intact on disk, and the loader finds it.
#pragma once
#include "ConfFormat.h"
#include "common/ScopedWin.h"
#include <string>

namespace Kernel {

class ConfStore {
public:
    ConfStore(std::wstring path, bool readOnly);
    ConfStore(const ConfStore&) = delete;
    ConfStore& operator=(const ConfStore&) = delete;
    ~ConfStore() = default;

    // Reads the file; a damaged one is renamed to "<file>.corrupt" (never overwritten) and
    // the last good copy, else an empty store, is used, with a logged warning.
    void load();
    bool get(const std::string& key, std::wstring& value);
    bool contains(const std::string& key);
    // Both write the file before they change memory: false leaves memory and disk as they were.
    bool set(const std::string& key, const std::wstring& value);
    bool remove(const std::string& key);
    bool readOnly() const { return readOnly_; }
    // Why the last change was not saved, in the words the person is shown ("数据目录只读");
    // empty when the last change was saved.
    std::wstring lastFailure();

private:
    bool save(const ConfEntries& next);
    bool refuse(const std::wstring& reason);
    bool failed(const std::wstring& what);
    bool loadFile(const std::wstring& file, const wchar_t* role);
    void warn(const std::wstring& text);

    const std::wstring path_;
    const bool readOnly_;
    // Set when the file on disk could be neither read nor moved aside: writing would
    // destroy bytes nobody has looked at, so changes are refused.
    bool writeBlocked_ = false;
    ConfEntries entries_;
    std::wstring lastFailure_;
    Common::CriticalSection lock_; // the updater's thread reads while the UI thread writes
};

} // namespace Kernel
