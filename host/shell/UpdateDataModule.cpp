#include "UpdateDataModule.h"
#include "ShellPaths.h"
#include "UpdatePackages.h"
#include "common/CallbackGuard.h"
#include "hostapi/DatabaseHost.h"
#include "hostapi/KernelHost.h"
#include "hostapi/ShellHost.h"
#include <process.h>
#include <algorithm>

namespace HostShell {

namespace {
// Modules look these up with getEvent at start, before any update has finished.
const char* const kUpdateEvents[] = {"event_update_closedfund", "event_udpate_affiche", "event_update_buyredeemstate"};
} // namespace

UpdateThread::UpdateThread(XStringA name, XStringW databasePath, XStringW packageDir,
                           std::shared_ptr<StatusBarNotices> notices)
    : name_(std::move(name)), databasePath_(std::move(databasePath)), packageDir_(std::move(packageDir)),
      notices_(std::move(notices)), wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr))
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
    folderWatch_.reset();
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
        bool look = waitForWork();
        if (!handleRequests()) return;
        if (look) lookAtFolder();
    }
}

bool UpdateThread::waitForWork()
{
    HANDLE handles[2] = {wake_.get(), folderWatch_.get()};
    DWORD count = folderWatch_ ? 2 : 1;
    DWORD timeout = INFINITE;
    if (lookAgainAt_) {
        ULONGLONG now = GetTickCount64();
        timeout = lookAgainAt_ > now ? DWORD(lookAgainAt_ - now) : 0;
    }
    DWORD woke = WaitForMultipleObjects(count, handles, FALSE, timeout);
    if (woke == WAIT_TIMEOUT) {
        lookAgainAt_ = 0;
        return true;
    }
    if (woke == WAIT_FAILED && folderWatch_) {
        // A notification that went bad must not spin the thread: the minute's round is left.
        Host::logWarning((L"updater: the update folder is no longer watched: " + packageDir_).c_str());
        folderWatch_.reset();
    }
    if (woke != WAIT_OBJECT_0 + 1) return false;
    // Armed again before the folder is read: a rename during the round wakes the next one.
    if (!FindNextChangeNotification(folderWatch_)) {
        Host::logWarning((L"updater: the update folder is no longer watched: " + packageDir_).c_str());
        folderWatch_.reset();
    }
    return true;
}

bool UpdateThread::handleRequests()
{
    for (;;) {
        int kind;
        {
            Common::CriticalSection::Lock lock(lock_);
            if (stopping_) return false;
            if (queue_.empty()) return true;
            kind = queue_.front();
            queue_.erase(queue_.begin());
        }
        handle(kind);
    }
}

// Only closed-fund data has a source here; other kinds finish without an event. The folder
// is watched from before this round, so a package renamed while it runs is not missed.
void UpdateThread::handle(int kind)
{
    if (kind != Host::UPDATE_KIND_CLOSEDFUND) return;
    watchFolder();
    PackageRun run = applyPendingPackages(databasePath_, packageDir_);
    afterRound(run);
    fireClosedFundUpdated(run.changed);
}

// Only once: a folder that cannot be watched leaves the page's minute round, which asks anyway.
void UpdateThread::watchFolder()
{
    if (watchTried_) return;
    watchTried_ = true;
    HANDLE watch = FindFirstChangeNotificationW(packageDir_.c_str(), FALSE,
                                                FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE);
    if (watch == INVALID_HANDLE_VALUE) {
        Host::logWarning((L"updater: the update folder cannot be watched, packages wait for the next request: " +
                          packageDir_ + L" (error " + std::to_wstring(GetLastError()) + L")")
                             .c_str());
        return;
    }
    folderWatch_.reset(watch);
}

// Nobody asked for this round: the page hears of it only when there are new rows to show
// (a part file written, or our own moves to "done", wake it for nothing).
void UpdateThread::lookAtFolder()
{
    PackageRun run = applyPendingPackages(databasePath_, packageDir_);
    afterRound(run);
    if (run.changed) fireClosedFundUpdated(true);
}

void UpdateThread::afterRound(const PackageRun& run)
{
    tellSetAside(run);
    lookAgainAt_ = run.lookAgainMs >= 0 ? GetTickCount64() + ULONGLONG(run.lookAgainMs) : 0;
}

// Each package set aside is told once. One that could not be moved away meets every later
// round again and is not told again until it has gone.
void UpdateThread::tellSetAside(const PackageRun& run)
{
    XStringW line;
    for (const FailedPackage& package : run.setAside) {
        bool toldBefore = toldStuck_.count(package.name) != 0;
        if (package.moved)
            toldStuck_.erase(package.name);
        else
            toldStuck_.insert(package.name);
        if (toldBefore) continue;
        line += (line.empty() ? L"" : L"；") + (L"更新包 " + package.name + L" 未能应用：" + package.reason);
    }
    if (!line.empty() && notices_) notices_->post(line);
}

void UpdateThread::fireClosedFundUpdated(bool changed)
{
    Host::UpdateEventArgs args;
    args.kind = Host::UPDATE_KIND_CLOSEDFUND;
    args.status = Host::UPDATE_STATUS_FINISHED;
    args.changed = changed ? 1 : 0;
    if (auto event = Host::getHostEvent("event_update_closedfund")) event->fire(&args);
}

UpdateDataModule::UpdateDataModule(XStringW databasePath, XStringW packageDir)
    : BuiltInModule("mod_UpdateData", L"数据更新"), databasePath_(std::move(databasePath)),
      packageDir_(std::move(packageDir)), notices_(std::make_shared<StatusBarNotices>())
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

    auto thread = XComPtr<UpdateThread>::adopt(new UpdateThread(name, databasePath, packageDir_, notices_));
    if (!thread->start()) {
        Host::logWarning((L"update thread could not start: " + fromUtf8(name)).c_str());
        return {};
    }
    threads_[name] = thread;
    return XComPtr<Host::IUpdateThread>(thread.get());
}

int UpdateDataModule::initialize(Host::IApp* app, XStringW&)
{
    auto frame = app ? app->getModule("mod_MainFrame").cast<Host::IMainFrameHost>() : XComPtr<Host::IMainFrameHost>();
    if (frame) notices_->setTarget([frame](const XStringW& text) { frame->setStatusText(text); });
    return 0;
}

void UpdateDataModule::uninitialize()
{
    for (auto& entry : threads_) entry.second->stop();
    notices_->close();
}

} // namespace HostShell
