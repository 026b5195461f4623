// "mod_UpdateData": the client's background updater. Each named update thread is a real
// thread with a queue of requested data kinds; a request for closed-fund data (46) applies
// the pending update packages to the fund database on the thread's own connection and then
// fires "event_update_closedfund" from that thread. The user-interface thread only queues.
// From its first closed-fund request on, a thread also watches the update folder: a package
// renamed into it is applied within moments, not at the page's next request a minute later,
// and a package still inside its quiet second is looked at again when the second is over.
// Packages set aside as failed are told once in the main frame's status bar.
#pragma once
#include "BuiltInModule.h"
#include "StatusBarNotices.h"
#include "common/ScopedWin.h"
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace HostShell {

struct PackageRun;

inline void closeFolderWatch(HANDLE watch) { FindCloseChangeNotification(watch); }
// A change notification on a folder, closed with FindCloseChangeNotification.
using FolderWatch = Common::ScopedOwner<HANDLE, closeFolderWatch>;

class UpdateThread final : public Common::RefCounted<Host::IUpdateThread> {
public:
    // notices: where packages set aside are told; may be null.
    UpdateThread(XStringA name, XStringW databasePath, XStringW packageDir,
                 std::shared_ptr<StatusBarNotices> notices = nullptr);
    UpdateThread(const UpdateThread&) = delete;
    UpdateThread& operator=(const UpdateThread&) = delete;
    ~UpdateThread() override;

    bool start();
    // Finishes the request at hand, drops the queued ones and ends the thread.
    void stop();
    // Queues the kind; a kind already waiting is not queued twice.
    void requestUpdate(int kind) override;
    const XStringA& name() const { return name_; }

private:
    static unsigned __stdcall threadMain(void* self) noexcept;
    void run();
    // Sleeps until a request, a change in the update folder or the end of a package's quiet
    // second; true when the folder is to be looked at.
    bool waitForWork();
    // False once the thread is stopping.
    bool handleRequests();
    void handle(int kind);
    void watchFolder();
    void lookAtFolder();
    void afterRound(const PackageRun& run);
    void tellSetAside(const PackageRun& run);
    void fireClosedFundUpdated(bool changed);

    const XStringA name_;
    const XStringW databasePath_;
    const XStringW packageDir_;
    const std::shared_ptr<StatusBarNotices> notices_;
    Common::CriticalSection lock_;
    std::vector<int> queue_;
    bool stopping_ = false;
    Common::ScopedHandle wake_;
    Common::ScopedHandle thread_;
    // The updater thread's own: the folder's notification, when to look again (GetTickCount64
    // time, 0 for never), and the packages set aside that could not be moved (told already).
    FolderWatch folderWatch_;
    bool watchTried_ = false;
    ULONGLONG lookAgainAt_ = 0;
    std::set<std::wstring> toldStuck_;
};

class UpdateDataModule final : public BuiltInModule<Host::IUpdateDataModule> {
public:
    // databasePath: used when the application has no database module to ask.
    UpdateDataModule(XStringW databasePath, XStringW packageDir);
    UpdateDataModule(const UpdateDataModule&) = delete;
    UpdateDataModule& operator=(const UpdateDataModule&) = delete;
    ~UpdateDataModule() override;

    XComPtr<Host::IUpdateThread> getThread(const XStringA& name) override;
    // The existing thread of that name, else a new running one; empty for an empty name or
    // a thread that cannot start.
    XComPtr<Host::IUpdateThread> createThread(const XStringA& name, Host::IApp* app) override;
    // On the user-interface thread: packages set aside are told in the main frame's status bar.
    int initialize(Host::IApp* app, XStringW& error) override;
    // Stops every thread (their objects stay valid for holders; requests are then ignored).
    void uninitialize() override;

    const XStringW& packageDir() const { return packageDir_; }

private:
    const XStringW databasePath_;
    const XStringW packageDir_;
    std::map<std::string, XComPtr<UpdateThread>> threads_;
    std::shared_ptr<StatusBarNotices> notices_;
};

} // namespace HostShell
