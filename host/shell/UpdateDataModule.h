// "mod_UpdateData": the client's background updater. Each named update thread is a real
// thread with a queue of requested data kinds; a request for closed-fund data (46) applies
// the pending update packages to the fund database on the thread's own connection and then
// fires "event_update_closedfund" from that thread. The user-interface thread only queues.
#pragma once
#include "BuiltInModule.h"
#include "common/ScopedWin.h"
#include <map>
#include <vector>

namespace HostShell {

class UpdateThread final : public Common::RefCounted<Host::IUpdateThread> {
public:
    UpdateThread(XStringA name, XStringW databasePath, XStringW packageDir);
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
    void handle(int kind);

    const XStringA name_;
    const XStringW databasePath_;
    const XStringW packageDir_;
    Common::CriticalSection lock_;
    std::vector<int> queue_;
    bool stopping_ = false;
    Common::ScopedHandle wake_;
    Common::ScopedHandle thread_;
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
    // Stops every thread (their objects stay valid for holders; requests are then ignored).
    void uninitialize() override;

    const XStringW& packageDir() const { return packageDir_; }

private:
    const XStringW databasePath_;
    const XStringW packageDir_;
    std::map<std::string, XComPtr<UpdateThread>> threads_;
};

} // namespace HostShell
