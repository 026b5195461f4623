#include "UpdateDataModule.h"
#include "ShellPaths.h"
#include "UpdatePackages.h"
#include "common/CallbackGuard.h"
#include "hostapi/DatabaseHost.h"
#include "hostapi/KernelHost.h"
#include <process.h>
#include <algorithm>

namespace HostShell {

namespace {
// Modules look these up with getEvent at start, before any update has finished.
const char* const kUpdateEvents[] = {"event_update_closedfund", "event_udpate_affiche", "event_update_buyredeemstate"};
} // namespace

UpdateThread::UpdateThread(XStringA name, XStringW databasePath, XStringW packageDir)
    : name_(std::move(name)), databasePath_(std::move(databasePath)), packageDir_(std::move(packageDir)),
      wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{}

UpdateThread::~UpdateThread() { stop(); }

bool UpdateThread::start()
{
    if (thread_.valid() || !wake_.valid()) return thread_.valid();
    thread_.reset(HANDLE(_beginthreadex(nullptr, 0, &UpdateThread::threadMain, this, 0, nullptr)));
    return thread_.valid();
}

void UpdateThread::stop()
{
    {
        Common::CriticalSection::Lock lock(lock_);
        stopping_ = true;
        queue_.clear();
    }
    if (!thread_.valid()) return;
    SetEvent(wake_.get());
    // A subscriber may be sending a message to this (user-interface) thread from inside the
    // event: such messages are handled while waiting, or neither thread could go on.
    HANDLE thread = thread_.get();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    thread_.reset();
}

void UpdateThread::requestUpdate(int kind)
{
    {
        Common::CriticalSection::Lock lock(lock_);
        if (stopping_ || !thread_.valid()) return;
        if (std::find(queue_.begin(), queue_.end(), kind) != queue_.end()) return;
        queue_.push_back(kind);
    }
    SetEvent(wake_.get());
}

// Exit code 1: the update thread ended by an exception, which is logged.
unsigned __stdcall UpdateThread::threadMain(void* self) noexcept
{
    return Common::guardCallback(L"an update thread", 1u, [&] {
        static_cast<UpdateThread*>(self)->run();
        return 0u;
    });
}

void UpdateThread::run()
{
    Host::registerHostThread();
    for (;;) {
        WaitForSingleObject(wake_.get(), INFINITE);
        for (;;) {
            int kind;
            {
                Common::CriticalSection::Lock lock(lock_);
                if (stopping_) return;
                if (queue_.empty()) break;
                kind = queue_.front();
                queue_.erase(queue_.begin());
            }
            handle(kind);
        }
    }
}

// Only closed-fund data has a source here; other kinds finish without an event.
void UpdateThread::handle(int kind)
{
    if (kind != Host::UPDATE_KIND_CLOSEDFUND) return;
    PackageRun run = applyPendingPackages(databasePath_, packageDir_);
    Host::UpdateEventArgs args;
    args.kind = kind;
    args.status = Host::UPDATE_STATUS_FINISHED;
    args.changed = run.changed ? 1 : 0;
    if (auto event = Host::getHostEvent("event_update_closedfund")) event->fire(&args);
}

UpdateDataModule::UpdateDataModule(XStringW databasePath, XStringW packageDir)
    : BuiltInModule("mod_UpdateData", L"数据更新"), databasePath_(std::move(databasePath)),
      packageDir_(std::move(packageDir))
{
    ensureFolder(packageDir_);
    for (const char* name : kUpdateEvents) Host::createEvent(name);
}

UpdateDataModule::~UpdateDataModule() { uninitialize(); }

XComPtr<Host::IUpdateThread> UpdateDataModule::getThread(const XStringA& name)
{
    auto it = threads_.find(name);
    return it == threads_.end() ? XComPtr<Host::IUpdateThread>() : XComPtr<Host::IUpdateThread>(it->second.get());
}

XComPtr<Host::IUpdateThread> UpdateDataModule::createThread(const XStringA& name, Host::IApp* app)
{
    if (name.empty()) return {};
    if (auto existing = getThread(name)) return existing;
    XStringW databasePath = databasePath_;
    auto dbModule = app ? app->getModule("mod_Database").cast<Host::IDbModule>() : XComPtr<Host::IDbModule>();
    auto database = dbModule ? dbModule->getFundDatabase().cast<Host::IDatabaseHost>() : XComPtr<Host::IDatabaseHost>();
    if (database && !database->getPath().empty()) databasePath = database->getPath();

    auto thread = XComPtr<UpdateThread>::adopt(new UpdateThread(name, databasePath, packageDir_));
    if (!thread->start()) {
        Host::logWarning((L"update thread could not start: " + fromUtf8(name)).c_str());
        return {};
    }
    threads_[name] = thread;
    return XComPtr<Host::IUpdateThread>(thread.get());
}

void UpdateDataModule::uninitialize()
{
    for (auto& entry : threads_) entry.second->stop();
}

} // namespace HostShell
