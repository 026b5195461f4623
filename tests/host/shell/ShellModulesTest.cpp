// The sibling modules and the module loader on real files: update packages applied by the
// updater's own thread, the watch list and fund pool across restarts, hot keys from the
// user configuration, and libraries that cannot be loaded or initialised.
#include "ClientLoop.h"
#include "ClientSession.h"
#include "CodeListModules.h"
#include "ConfText.h"
#include "Database.h"
#include "MenuToolModule.h"
#include "ModuleLoader.h"
#include "TempDir.h"
#include "UpdateDataModule.h"
#include "UpdatePackages.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <sqlite3.h>
#include <algorithm>

using namespace HostShell;
using Common::toUtf8;
using TestSupport::readFileBytes;
using TestSupport::TempDir;
using TestSupport::writeFileBytes;

namespace {

ShellPaths tempPaths(const TempDir& dir) { return ShellPaths{programFolder(), dir.path()}; }

// What one firing of "event_update_closedfund" carried, and on which thread.
struct UpdateSeen {
    Common::ScopedHandle fired{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    Host::UpdateEventArgs args;
    DWORD thread = 0;
    XComPtr<Host::IHostEvent> event = Host::createHostEvent("event_update_closedfund");
    // Without the host's side of the event nothing is seen, and wait fails.
    UpdateSeen()
    {
        if (event) event->subscribe(&onUpdate, this);
    }
    UpdateSeen(const UpdateSeen&) = delete;
    UpdateSeen& operator=(const UpdateSeen&) = delete;
    ~UpdateSeen()
    {
        if (event) event->unsubscribe(&onUpdate, this);
    }
    static void onUpdate(void* payload, void* self)
    {
        auto* seen = static_cast<UpdateSeen*>(self);
        seen->args = *static_cast<Host::UpdateEventArgs*>(payload);
        seen->thread = GetCurrentThreadId();
        SetEvent(seen->fired.get());
    }
    bool wait() { return WaitForSingleObject(fired.get(), 20000) == WAIT_OBJECT_0; }
};

// Sets a file's last write time to seconds ago.
bool age(const std::wstring& path, int seconds)
{
    Common::ScopedHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= ULONGLONG(seconds) * 10000000;
    FILETIME then{t.LowPart, t.HighPart};
    return file.valid() && SetFileTime(file.get(), nullptr, nullptr, &then);
}

// A complete package as a careful writer leaves it: its end marker, and written a while ago.
void writePackage(const std::wstring& path, const std::string& sql)
{
    ASSERT_TRUE(writeFileBytes(path, sql + "\n-- end of package\n"));
    ASSERT_TRUE(age(path, 5));
}

XStringW firstText(const XStringW& dbPath, const XStringW& sql)
{
    XStringW error;
    auto db = FundDb::openFundDatabase(dbPath, error);
    auto statement = db->prepare(sql, error);
    return statement && statement->step() ? statement->getText(0) : XStringW(L"<none: ") + error + L">";
}

// An update subscriber as a page's is: it says it started, then sends a message to a window
// of the user-interface thread and waits for it to be handled.
struct SendingSubscriber {
    Common::ScopedHandle entered{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HWND window = nullptr;
    static void onUpdate(void*, void* self)
    {
        auto* s = static_cast<SendingSubscriber*>(self);
        SetEvent(s->entered.get());
        SendMessageW(s->window, WM_SETTEXT, 0, LPARAM(L"handled"));
    }
};

} // namespace

TEST(ShellUpdater, StoppingWhileASubscriberSendsToTheStoppingThreadFinishes)
{
    TempDir dir;
    ShellPaths paths = tempPaths(dir);
    auto updater = XComPtr<UpdateDataModule>::adopt(new UpdateDataModule(paths.fundDatabase(), paths.updateDir()));
    SendingSubscriber subscriber;
    subscriber.window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(subscriber.window);
    auto event = Host::createHostEvent("event_update_closedfund");
    ASSERT_TRUE(event);
    event->subscribe(&SendingSubscriber::onUpdate, &subscriber);
    auto thread = updater->createThread("thread_fund_update", nullptr);
    ASSERT_TRUE(thread);
    thread->requestUpdate(46);
    ASSERT_EQ(WaitForSingleObject(subscriber.entered.get(), 20000), WAIT_OBJECT_0);
    updater->uninitialize(); // returns only after the subscriber's message was handled
    wchar_t text[32] = {};
    GetWindowTextW(subscriber.window, text, 32);
    EXPECT_STREQ(text, L"handled");
    event->unsubscribe(&SendingSubscriber::onUpdate, &subscriber);
    DestroyWindow(subscriber.window);
}

// The updater over a copy of the sample database, its thread made, and a listener for its
// finished updates.
class UpdaterRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        paths = tempPaths(dir);
        XStringW error;
        ASSERT_TRUE(FundDb::writeFundDatabase(paths.fundDatabase(), FundDb::Content::StandardSample, 0, false, error));
        code = firstText(paths.fundDatabase(), L"select code from tb_closedfund order by code limit 1");
        codeUtf8 = toUtf8(code);
        updater = XComPtr<UpdateDataModule>::adopt(new UpdateDataModule(paths.fundDatabase(), paths.updateDir()));
        EXPECT_FALSE(updater->getThread("thread_fund_update"));
        thread = updater->createThread("thread_fund_update", nullptr);
        ASSERT_TRUE(thread);
    }
    void TearDown() override
    {
        if (updater) updater->uninitialize();
    }
    XStringW price()
    {
        return firstText(paths.fundDatabase(), L"select price from tb_closedfund where code = '" + code + L"'");
    }

    TempDir dir;
    ShellPaths paths;
    XStringW code;
    std::string codeUtf8;
    XComPtr<UpdateDataModule> updater;
    XComPtr<Host::IUpdateThread> thread;
    UpdateSeen seen;
};

TEST_F(UpdaterRun, AppliesPackagesInNameOrderOnItsOwnThreadOnce)
{
    EXPECT_TRUE(Host::getEvent("event_udpate_affiche"));
    EXPECT_TRUE(Host::getEvent("event_update_buyredeemstate"));
    EXPECT_EQ(updater->getThread("thread_fund_update"), thread);
    EXPECT_EQ(updater->createThread("thread_fund_update", nullptr), thread);

    // Two good packages, applied in name order; the second overwrites the first's price.
    writePackage(paths.updateDir() + L"\\0001-price.sql",
                 "\xEF\xBB\xBFupdate tb_closedfund set price = '9.8765' where code = '" + codeUtf8 + "';");
    writePackage(paths.updateDir() + L"\\0002-price.sql",
                 "update tb_closedfund set price = '1.2345', date = '2030-01-02' where code = '" + codeUtf8 + "';");
    thread->requestUpdate(46);
    ASSERT_TRUE(seen.wait());
    EXPECT_NE(seen.thread, GetCurrentThreadId());
    EXPECT_EQ(seen.args.kind, 46);
    EXPECT_EQ(seen.args.status, 1);
    EXPECT_EQ(seen.args.changed, 1);
    EXPECT_EQ(price(), L"1.2345");
    EXPECT_FALSE(fileExists(paths.updateDir() + L"\\0001-price.sql"));
    EXPECT_TRUE(fileExists(paths.updateDir() + L"\\done\\0002-price.sql"));

    // A package dropped again under a name already applied does not run twice.
    writePackage(paths.updateDir() + L"\\0001-price.sql",
                 "update tb_closedfund set price = '9.8765' where code = '" + codeUtf8 + "';");
    thread->requestUpdate(46);
    ASSERT_TRUE(seen.wait());
    EXPECT_EQ(seen.args.changed, 0);
    EXPECT_EQ(price(), L"1.2345");

    // Nothing pending: a finished update without change.
    thread->requestUpdate(46);
    ASSERT_TRUE(seen.wait());
    EXPECT_EQ(seen.args.changed, 0);
    updater->uninitialize();
    thread->requestUpdate(46); // after the stop: ignored, no crash
}

// Every applied update is in funds.db itself once the updater is done, though a reader of
// the page still has the database open (and, reading only, never moves the log into the
// file): a person who copies funds.db alone has the update.
TEST_F(UpdaterRun, AppliedUpdatesAreInTheDatabaseFileAloneAfterTheUpdaterCloses)
{
    XStringW error;
    auto reader = FundDb::openFundDatabase(paths.fundDatabase(), error);
    ASSERT_TRUE(reader->isOpen()) << toUtf8(error);
    auto before = reader->prepare(L"select count(*) from tb_closedfund", error);
    ASSERT_TRUE(before && before->step());
    before.reset();

    writePackage(paths.updateDir() + L"\\0001-price.sql",
                 "update tb_closedfund set price = '3.1416' where code = '" + codeUtf8 + "';");
    writePackage(paths.updateDir() + L"\\0002-date.sql",
                 "update tb_closedfund set date = '2031-02-03' where code = '" + codeUtf8 + "';");
    thread->requestUpdate(46);
    ASSERT_TRUE(seen.wait());
    ASSERT_EQ(seen.args.changed, 1);
    updater->uninitialize();
    EXPECT_EQ(readFileBytes(paths.fundDatabase() + L"-wal").size(), 0u) << "updates left in the log only";

    TempDir elsewhere;
    const std::wstring copy = elsewhere.file(L"funds.db");
    ASSERT_TRUE(CopyFileW(paths.fundDatabase().c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(firstText(copy, L"select price || ' ' || date from tb_closedfund where code = '" + code + L"'"),
              L"3.1416 2031-02-03");
    // The reader still sees the rows and still cannot write.
    auto write = reader->prepare(L"delete from tb_closedfund", error);
    EXPECT_TRUE(!write || !write->step());
    EXPECT_EQ(firstText(paths.fundDatabase(), L"select count(*) from tb_closedfund where price = '3.1416'"), L"1");
}

// A bad package (SQL error after a good statement) and one that tries to end the updater's
// transaction: both rolled back whole, moved aside, reported as no change.
TEST_F(UpdaterRun, RollsBackBadPackagesWholeAndSetsThemAside)
{
    const XStringW before = price();
    TempDir logDir;
    Host::setLogFile(logDir.file(L"log.txt").c_str());
    writePackage(paths.updateDir() + L"\\0003-bad.sql",
                 "update tb_closedfund set price = '7.0000';\nupdate no_such_table set x = 1;");
    writePackage(paths.updateDir() + L"\\0004-commit.sql", "update tb_closedfund set price = '6.0000'; COMMIT;");
    writeFileBytes(paths.updateDir() + L"\\0005-binary.sql", std::string("\xFF\xFE\x00\x01", 4));
    age(paths.updateDir() + L"\\0005-binary.sql", 5);
    thread->requestUpdate(46);
    ASSERT_TRUE(seen.wait());
    Host::setLogFile(nullptr);
    EXPECT_EQ(seen.args.status, 1);
    EXPECT_EQ(seen.args.changed, 0);
    EXPECT_EQ(price(), before);
    EXPECT_EQ(
        firstText(paths.fundDatabase(), L"select count(*) from tb_closedfund where price in ('7.0000', '6.0000')"),
        L"0");
    for (const wchar_t* name : {L"0003-bad.sql", L"0004-commit.sql", L"0005-binary.sql"})
        EXPECT_TRUE(fileExists(paths.updateDir() + L"\\failed\\" + name)) << toUtf8(name);
    std::string log = readFileBytes(logDir.file(L"log.txt"));
    EXPECT_NE(log.find("0003-bad.sql"), std::string::npos);
    EXPECT_NE(log.find("no_such_table"), std::string::npos);
}

// From its first request on, the thread watches the update folder: a package renamed in as
// the protocol says is applied with nobody asking (the page's own round comes only a minute
// later), and one written in place is looked at again once its quiet second is over, though
// nothing in the folder changes by then.
TEST_F(UpdaterRun, AfterTheFirstRequestPackagesDroppedInAreAppliedUnasked)
{
    thread->requestUpdate(46);
    ASSERT_TRUE(seen.wait());
    EXPECT_EQ(seen.args.changed, 0);

    const std::wstring part = paths.updateDir() + L"\\0001-price.part";
    writePackage(part, "update tb_closedfund set price = '5.4321' where code = '" + codeUtf8 + "';");
    ASSERT_TRUE(MoveFileW(part.c_str(), (paths.updateDir() + L"\\0001-price.sql").c_str()));
    ASSERT_TRUE(seen.wait()) << "a renamed package waited for a request";
    EXPECT_NE(seen.thread, GetCurrentThreadId());
    EXPECT_EQ(seen.args.kind, 46);
    EXPECT_EQ(seen.args.changed, 1);
    EXPECT_EQ(price(), L"5.4321");
    EXPECT_TRUE(fileExists(paths.updateDir() + L"\\done\\0001-price.sql"));

    ASSERT_TRUE(writeFileBytes(paths.updateDir() + L"\\0002-price.sql",
                               "update tb_closedfund set price = '6.5432' where code = '" + codeUtf8 +
                                   "';\n-- end of package\n"));
    ASSERT_TRUE(seen.wait()) << "a package seen inside its quiet second was not looked at again";
    EXPECT_EQ(seen.args.changed, 1);
    EXPECT_EQ(price(), L"6.5432");

    // A package that changes no rows, and a part file being written, tell the page nothing.
    writePackage(paths.updateDir() + L"\\0003-none.sql", "update tb_closedfund set price = '1' where 0;");
    ASSERT_TRUE(writeFileBytes(paths.updateDir() + L"\\0004-next.part", "update"));
    const std::wstring done = paths.updateDir() + L"\\done\\0003-none.sql";
    for (int i = 0; i < 250 && !fileExists(done); ++i) Sleep(20);
    EXPECT_TRUE(fileExists(done));
    EXPECT_NE(WaitForSingleObject(seen.fired.get(), 500), WAIT_OBJECT_0);
}

// The client's status bar tells each package set aside in a few words, once. One that cannot
// be moved aside (its namesake in "failed" is held open) meets every later round again and
// is not told again, nor when it finally goes; the log keeps SQLite's own text.
TEST(ShellUpdater, APackageSetAsideIsToldOnceInTheStatusBar)
{
    TempDir dir;
    {
        auto system = Host::openUserConf(dir.file(L"system.conf").c_str());
        ASSERT_TRUE(writeConfText(system.get(), "Client2/System/Modules", L""));
    }
    ClientSession session(tempPaths(dir));
    ASSERT_TRUE(session.open(false));
    session.show(SW_SHOWNORMAL);
    HWND bar = session.mainFrame()->window().statusBar();
    auto message = [&] {
        wchar_t text[1024] = {};
        SendMessageW(bar, SB_GETTEXTW, 0, LPARAM(text));
        return std::wstring(text);
    };
    const std::wstring updates = dir.file(L"updates"), stuck = updates + L"\\0002-stuck.sql";
    ASSERT_TRUE(ensureFolder(updates + L"\\failed"));
    ASSERT_TRUE(writeFileBytes(updates + L"\\failed\\0002-stuck.sql", "an earlier package of that name"));
    Common::ScopedHandle namesake(CreateFileW((updates + L"\\failed\\0002-stuck.sql").c_str(), GENERIC_READ,
                                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(namesake.valid());
    writePackage(updates + L"\\0001-bad.sql", "update no_such_table set x = 1;");
    writePackage(stuck, "update tb_closedfund set no_such_column = 1;");
    UpdateSeen seen;
    auto thread = session.updater()->createThread("thread_fund_update", session.app());
    ASSERT_TRUE(thread);
    auto round = [&] {
        thread->requestUpdate(46);
        EXPECT_TRUE(seen.wait());
        TestSupport::pumpClient(session.app(), 200); // the bar's thread takes what the updater told
    };

    round();
    EXPECT_EQ(message(), L"更新包 0001-bad.sql 未能应用：引用了不存在的表；"
                         L"更新包 0002-stuck.sql 未能应用：引用了不存在的列");
    EXPECT_TRUE(fileExists(updates + L"\\failed\\0001-bad.sql"));
    ASSERT_TRUE(fileExists(stuck)) << "the namesake did not hold the package back";

    session.mainFrame()->setStatusText(L"其他消息");
    round();
    EXPECT_EQ(message(), L"其他消息");
    namesake.reset();
    round();
    EXPECT_FALSE(fileExists(stuck));
    EXPECT_EQ(message(), L"其他消息");
    session.close();
    std::string log = readFileBytes(dir.file(L"client2.log"));
    EXPECT_NE(log.find("no such table: no_such_table"), std::string::npos) << log;
    EXPECT_NE(log.find("no_such_column"), std::string::npos) << log;
}

// A damaged database: the package that meets the damage, and the one after it, wait for a
// later run instead of being set aside as bad.
TEST(ShellUpdater, PackagesMeetingADamagedDatabaseWaitForALaterRun)
{
    TempDir dir;
    UpdateSeen seen;
    const std::wstring damagedPath = dir.file(L"damaged.db");
    int root = 0;
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(toUtf8(damagedPath).c_str(), &db), SQLITE_OK);
        sqlite3_exec(db,
                     "PRAGMA page_size=4096; CREATE TABLE tb_data (v TEXT);"
                     "CREATE TABLE tb_update_applied (name TEXT PRIMARY KEY, applied TEXT);"
                     "INSERT INTO tb_data VALUES ('a'), ('b');",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "select rootpage from sqlite_schema where name = 'tb_data'", -1, &statement, nullptr);
        if (sqlite3_step(statement) == SQLITE_ROW) root = sqlite3_column_int(statement, 0);
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }
    ASSERT_GT(root, 1);
    std::string bytes = readFileBytes(damagedPath);
    ASSERT_GE(bytes.size(), size_t(root) * 4096);
    std::fill(bytes.begin() + std::ptrdiff_t(root - 1) * 4096, bytes.begin() + std::ptrdiff_t(root) * 4096, '\xAB');
    ASSERT_TRUE(writeFileBytes(damagedPath, bytes));
    const std::wstring damagedUpdates = dir.file(L"damaged-updates");
    auto damagedUpdater = XComPtr<UpdateDataModule>::adopt(new UpdateDataModule(damagedPath, damagedUpdates));
    auto damagedThread = damagedUpdater->createThread("thread_fund_update", nullptr);
    ASSERT_TRUE(damagedThread);
    writePackage(damagedUpdates + L"\\0001-data.sql", "update tb_data set v = 'c';");
    writePackage(damagedUpdates + L"\\0002-data.sql", "update tb_data set v = 'd';");
    damagedThread->requestUpdate(46);
    ASSERT_TRUE(seen.wait());
    EXPECT_EQ(seen.args.changed, 0);
    EXPECT_TRUE(fileExists(damagedUpdates + L"\\0001-data.sql"));
    EXPECT_TRUE(fileExists(damagedUpdates + L"\\0002-data.sql"));
    EXPECT_FALSE(fileExists(damagedUpdates + L"\\failed\\0001-data.sql"));
    damagedUpdater->uninitialize();
}

// A careless writer writes in place, in pieces: whatever moment the updater looks, it never
// runs a half-written package, and the package runs once it is whole and left alone.
TEST(ShellUpdater, WaitsForAPackageThatIsStillBeingWritten)
{
    TempDir dir;
    ShellPaths paths = tempPaths(dir);
    XStringW error;
    ASSERT_TRUE(FundDb::writeFundDatabase(paths.fundDatabase(), FundDb::Content::StandardSample, 0, false, error));
    ensureFolder(paths.updateDir());
    const std::wstring package = paths.updateDir() + L"\\0001-prices.sql";
    const std::wstring later = paths.updateDir() + L"\\0002-later.sql";
    const std::string firstHalf = "update tb_closedfund set price = '1.1111';\n";
    const XStringW changed = L"select count(*) from tb_closedfund where price in ('1.1111', '2.2222')";
    writePackage(later, "update tb_closedfund set price = '2.2222' where 0;");

    ASSERT_TRUE(writeFileBytes(package, firstHalf)); // the first half, just written
    EXPECT_EQ(applyPendingPackages(paths.fundDatabase(), paths.updateDir()).waiting, 1);
    ASSERT_TRUE(age(package, 5)); // the writer paused before the second half
    EXPECT_EQ(applyPendingPackages(paths.fundDatabase(), paths.updateDir()).waiting, 1);
    writePackage(package, firstHalf);
    {
        // Whole, but the writer still holds it open: refused until it lets go.
        Common::ScopedHandle writer(
            CreateFileW(package.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer.valid());
        EXPECT_EQ(applyPendingPackages(paths.fundDatabase(), paths.updateDir()).waiting, 1);
    }
    EXPECT_EQ(firstText(paths.fundDatabase(), changed), L"0");
    EXPECT_TRUE(fileExists(later)) << "a later package ran before the one it may build on";

    PackageRun run = applyPendingPackages(paths.fundDatabase(), paths.updateDir());
    EXPECT_EQ(run.applied, 2);
    EXPECT_EQ(firstText(paths.fundDatabase(), changed), L"60");

    // Abandoned without its marker: set aside after a while, so the queue moves on.
    const std::wstring abandoned = paths.updateDir() + L"\\0003-abandoned.sql";
    ASSERT_TRUE(writeFileBytes(abandoned, "update tb_closedfund set price = '3.3333';"));
    ASSERT_TRUE(age(abandoned, 600));
    writePackage(paths.updateDir() + L"\\0004-next.sql", "update tb_closedfund set price = '4.4444';");
    run = applyPendingPackages(paths.fundDatabase(), paths.updateDir());
    EXPECT_EQ(run.failed, 1);
    EXPECT_EQ(run.applied, 1);
    EXPECT_TRUE(fileExists(paths.updateDir() + L"\\failed\\0003-abandoned.sql"));
}

TEST(ShellCodeLists, WatchListAndFundPoolSurviveARestartOfTheirStores)
{
    TempDir dir;
    const std::wstring path = dir.file(L"user.conf");
    {
        auto conf = Host::openUserConf(path.c_str());
        auto watch = XComPtr<ConcernFundModule>::adopt(new ConcernFundModule(conf));
        auto pool = XComPtr<FundsPoolModule>::adopt(new FundsPoolModule(conf));
        XStringW failure;
        EXPECT_EQ(watch->list().add(L"184688", failure), Host::FUNDSPOOL_ADDED);
        EXPECT_EQ(watch->list().add(L"500001", failure), Host::FUNDSPOOL_ADDED);
        EXPECT_EQ(watch->list().add(L"500001", failure), Host::FUNDSPOOL_ALREADY_IN);
        EXPECT_EQ(watch->list().add(L"--", failure), Host::FUNDSPOOL_NOT_A_FUND);
        EXPECT_EQ(watch->list().add(L"50 01", failure), Host::FUNDSPOOL_NOT_A_FUND);
        EXPECT_EQ(watch->list().add(L"500\n002", failure), Host::FUNDSPOOL_NOT_A_FUND);
        EXPECT_TRUE(failure.empty());
        EXPECT_TRUE(watch->list().remove(L"184688"));
        EXPECT_TRUE(watch->isConcerned(L"500001"));
        pool->addFund(L"150001");
        pool->addFund(L"150001");
        pool->addFund(L"");
        pool->addFund(L"--");
        pool->addFund(L"160002");
    }
    auto conf = Host::openUserConf(path.c_str());
    auto watch = XComPtr<ConcernFundModule>::adopt(new ConcernFundModule(conf));
    auto pool = XComPtr<FundsPoolModule>::adopt(new FundsPoolModule(conf));
    EXPECT_TRUE(watch->isConcerned(L"500001"));
    EXPECT_FALSE(watch->isConcerned(L"184688"));
    EXPECT_FALSE(watch->isConcerned(L""));
    EXPECT_EQ(pool->codes(), (std::vector<XStringW>{L"150001", L"160002"}));

    // A hand-edited store with blanks and duplicates reads as the valid codes once each.
    writeConfText(conf.get(), kConcernFundKey, L"000001\n\n000001\n--\r\nabc def\n000002");
    auto edited = XComPtr<ConcernFundModule>::adopt(new ConcernFundModule(conf));
    EXPECT_EQ(edited->list().codes(), (std::vector<XStringW>{L"000001", L"000002"}));
}

// On a data folder the process may not write the pool says why it added nothing, and
// tells no one that it changed.
TEST(ShellCodeLists, TheFundPoolOnAReadOnlyFolderAddsNothingAndSaysWhy)
{
    std::wstring folder, why;
    if (!TestSupport::readOnlyFolder(folder, why)) GTEST_SKIP() << toUtf8(why);
    auto pool =
        XComPtr<FundsPoolModule>::adopt(new FundsPoolModule(Host::openUserConf((folder + L"\\user.conf").c_str())));
    auto edit = XComPtr<FundsPoolEditModule>::adopt(new FundsPoolEditModule(pool));
    int fired = 0;
    auto changed = Host::getHostEvent(kFundsPoolChanged);
    ASSERT_TRUE(changed);
    Host::EventCallback count = [](void*, void* context) { ++*static_cast<int*>(context); };
    changed->subscribe(count, &fired);
    XStringW failure;
    EXPECT_EQ(edit->addFund(L"150001", failure), Host::FUNDSPOOL_NOT_SAVED);
    EXPECT_EQ(std::wstring(failure), L"数据目录只读");
    pool->addFund(L"150002"); // the client's form: no outcome, the same refusal
    EXPECT_TRUE(pool->codes().empty());
    changed->unsubscribe(count, &fired);
    EXPECT_EQ(fired, 0);
}

TEST(ShellMenuTool, HotKeysComeFromTheUserConfigurationWithF10AndF5AsDefaults)
{
    Host::HotKey key;
    struct Case {
        const wchar_t* text;
        bool ok;
        uint8_t control = 0, shift = 0, alt = 0;
        uint32_t vk = 0;
    } cases[] = {
        {L"F10", true, 0, 0, 0, VK_F10},
        {L"f5", true, 0, 0, 0, VK_F5},
        {L" Ctrl+Shift+F5 ", true, 1, 1, 0, VK_F5},
        {L"alt+ctrl+p", true, 1, 0, 1, 'P'},
        {L"F24", true, 0, 0, 0, VK_F24},
        {L"7", true, 0, 0, 0, '7'},
        {L"F25", false},
        {L"F0", false},
        {L"F01", false},
        {L"Ctrl+", false},
        {L"", false},
        {L"Ctrl+PgUp", false},
        {L"基", false},
        {L"Win+F5", false},
    };
    for (const Case& c : cases) {
        key = Host::HotKey();
        key.key = 0xABCD;
        EXPECT_EQ(parseHotKey(c.text, key), c.ok) << toUtf8(c.text);
        if (!c.ok) {
            EXPECT_EQ(key.key, 0xABCDu) << toUtf8(c.text);
            continue;
        }
        EXPECT_EQ(key.key, c.vk) << toUtf8(c.text);
        EXPECT_EQ(key.control, c.control);
        EXPECT_EQ(key.shift, c.shift);
        EXPECT_EQ(key.alt, c.alt);
    }

    TempDir dir;
    auto conf = Host::openUserConf(dir.file(L"user.conf").c_str());
    auto menu = XComPtr<MenuToolModule>::adopt(new MenuToolModule(conf));
    menu->getProfileHotKey(key);
    EXPECT_EQ(key.key, UINT(VK_F10));
    menu->getRefreshHotKey(key);
    EXPECT_EQ(key.key, UINT(VK_F5));
    EXPECT_EQ(readConfText(conf.get(), kProfileHotKeyKey, L""), L"F10"); // written for the user to find

    writeConfText(conf.get(), kRefreshHotKeyKey, L"Ctrl+R");
    writeConfText(conf.get(), kProfileHotKeyKey, L"nonsense");
    menu->reload();
    menu->getRefreshHotKey(key);
    EXPECT_EQ(key.key, UINT('R'));
    EXPECT_EQ(key.control, 1);
    menu->getProfileHotKey(key);
    EXPECT_EQ(key.key, UINT(VK_F10));
    EXPECT_EQ(key.control, 0);
}

TEST(ShellLoader, ReportsLibrariesThatCannotBeUsedAndKeepsGoing)
{
    TempDir dir;
    auto app = ShellApp::open(tempPaths(dir));
    ModuleLoader loader;
    XStringW error;
    EXPECT_FALSE(loader.load(app.get(), L"mod_DoesNotExist.dll", error));
    EXPECT_NE(error.find(L"mod_DoesNotExist.dll"), XStringW::npos);
    error.clear();
    EXPECT_FALSE(loader.load(app.get(), L"c2kernel.dll", error)); // a library without the export
    EXPECT_NE(error.find(L"ModuleInstance"), XStringW::npos);

    // The test module failing its initialisation: the error text comes from the module.
    writeConfText(app->getUserConf().get(), "/Client2/UserConfig/TestModule/Mode", L"fail");
    error.clear();
    EXPECT_FALSE(loader.load(app.get(), L"shell_test_module.dll", error));
    EXPECT_NE(error.find(L"没有找到主框架。"), XStringW::npos);
    EXPECT_FALSE(app->getModule("mod_ShellTest"));
    writeConfText(app->getUserConf().get(), "/Client2/UserConfig/TestModule/Mode", L"throw");
    EXPECT_FALSE(loader.load(app.get(), L"shell_test_module.dll", error));
    EXPECT_NE(error.find(L"初始化失败"), XStringW::npos);

    writeConfText(app->getUserConf().get(), "/Client2/UserConfig/TestModule/Mode", L"ok");
    EXPECT_TRUE(loader.load(app.get(), programFolder() + L"\\shell_test_module.dll", error));
    EXPECT_TRUE(app->getModule("mod_ShellTest"));
    EXPECT_EQ(readConfText(app->getUserConf().get(), "/Client2/UserConfig/TestModule/State", L""), L"initialized");
    EXPECT_FALSE(loader.load(app.get(), L"shell_test_module.dll", error)); // its name is taken now
    EXPECT_EQ(loader.loadedCount(), 1u);
    loader.uninitializeAll();
    EXPECT_EQ(readConfText(app->getUserConf().get(), "/Client2/UserConfig/TestModule/State", L""), L"uninitialized");
    app->clear();
}
