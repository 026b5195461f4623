// soak_driver.exe: the real client2.exe driven for a given time as a busy person and a busy
// feed would drive it (scripts/soak runs it and judges the records it leaves).
//
//   soak_driver --minutes M --seed S --data DIR [--sample SECONDS]
//
// The client runs on the data folder DIR with its sampler on (CLIENT2_SAMPLER). Between
// actions every top-level window of the client must answer within 10 s and the process must
// live. At the end of the first quarter and at the end, the client is brought to its
// resting state and the sample rows taken there are noted, so that counters are compared
// in the same state. Then the client is closed, started once more for a last round of the
// updater, and closed again. Records in DIR: soak-run.txt (key=value), soak-exports.tsv,
// soak-packages.tsv (by the feed), soak-samples.csv (by the client). Exit code 0 unless the
// client hung, died, or could not be driven at all.
#include "ClientProcess.h"
#include "ClientScreen.h"
#include "Database.h"
#include "SoakFeed.h"
#include "SoakPerson.h"
#include "TempDir.h"
#include "common/XString.h"
#include <shellapi.h>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace Journey;

namespace {

const DWORD kStartMs = 30000;
const DWORD kAnswerMs = 10000;
const DWORD kCloseMs = 30000;
const DWORD kLastRoundMs = 60000;

struct Options {
    double minutes = 10;
    unsigned seed = 0;
    std::wstring dataDir;
    int sampleSeconds = 3;
};

bool parse(Options& options)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return false;
    options.seed = GetTickCount();
    for (int i = 1; i + 1 < argc; i += 2) {
        std::wstring key = argv[i], value = argv[i + 1];
        if (key == L"--minutes")
            options.minutes = _wtof(value.c_str());
        else if (key == L"--seed")
            options.seed = unsigned(wcstoul(value.c_str(), nullptr, 10));
        else if (key == L"--data")
            options.dataDir = value;
        else if (key == L"--sample")
            options.sampleSeconds = _wtoi(value.c_str());
    }
    LocalFree(argv);
    return options.minutes > 0 && !options.dataDir.empty() && options.sampleSeconds > 0;
}

std::string utf8(const std::wstring& text) { return Common::toUtf8(text); }

void say(const std::string& line)
{
    std::printf("soak-driver: %s\n", line.c_str());
    std::fflush(stdout);
}

// The closed-end funds of the client's database, whose prices the feed changes.
std::vector<std::wstring> closedFundCodes(const std::wstring& database)
{
    std::vector<std::wstring> codes;
    XStringW error;
    auto db = FundDb::openFundDatabase(database, error);
    auto query = db && db->isOpen() ? db->prepare(L"select code from tb_closedfund where isdeleted = 0", error)
                                    : XComPtr<Host::IStatement>();
    while (query && query->step()) codes.push_back(query->getText(0));
    return codes;
}

// A window of the client that does not answer within kAnswerMs, described; "" when all do.
// The main window is asked first: its name says most.
std::string unansweredWindow(DWORD pid, HWND mainWindow)
{
    std::vector<HWND> windows = topLevelWindows(pid);
    std::stable_partition(windows.begin(), windows.end(), [&](HWND hwnd) { return hwnd == mainWindow; });
    for (HWND hwnd : windows) {
        DWORD_PTR result = 0;
        DWORD start = GetTickCount();
        if (SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerMs, &result)) continue;
        // A window closed in between does not answer either; it is no hang.
        if (!IsWindow(hwnd) || GetTickCount() - start < kAnswerMs - 500) continue;
        return "window \"" + utf8(windowTitle(hwnd)) + "\" of class " + utf8(classOf(hwnd)) +
               " did not answer for 10 s";
    }
    return {};
}

// The client's windows by class, "class count" pairs: when the window count grows, the
// classes say which windows stayed behind.
std::string windowCensus(DWORD pid)
{
    std::map<std::string, int> classes;
    for (HWND top : topLevelWindows(pid)) {
        ++classes[utf8(classOf(top))];
        for (HWND child : descendants(top, L"")) ++classes[utf8(classOf(child))];
    }
    std::string text;
    for (const auto& entry : classes)
        text += (text.empty() ? "" : ",") + entry.first + " " + std::to_string(entry.second);
    return text;
}

int sampleRows(const std::wstring& dataDir)
{
    std::string text = TestSupport::readFileBytes(dataDir + L"\\soak-samples.csv");
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines > 0 ? lines - 1 : 0; // the header
}

class Run {
public:
    explicit Run(const Options& options)
        : options_(options), random_(options.seed), client_(options.dataDir),
          deadline_(GetTickCount64() + ULONGLONG(options.minutes * 60000))
    {}

    int go();

private:
    bool startClient();
    bool alive();
    // Rests the client, waits for two samples taken at rest, notes their rows under label.
    void restAndNote(const char* label);
    void lastRound();
    void writeRecords();
    void fail(const std::string& why)
    {
        say("FAIL " + why);
        failures_.push_back(why);
    }

    Options options_;
    std::mt19937 random_;
    ClientProcess client_;
    ULONGLONG deadline_;
    std::unique_ptr<Soak::Feed> feed_;
    std::unique_ptr<Soak::Person> person_;
    int actions_ = 0, shown_ = 0;
    std::vector<std::string> failures_, notes_;
};

bool Run::startClient()
{
    if (!client_.start(kStartMs)) return false;
    SetWindowPos(client_.mainWindow(), nullptr, 0, 0, 1280, 900, SWP_NOZORDER);
    ClientScreen screen(client_.mainWindow(), client_.pid());
    return waitUntil(kStartMs, [&] { return screen.grid() && !screen.gridText().rows.empty(); });
}

bool Run::alive()
{
    if (!client_.running()) {
        fail("the client ended by itself (exit code " + std::to_string(client_.exitCode()) + ")");
        return false;
    }
    std::string hung = unansweredWindow(client_.pid(), client_.mainWindow());
    if (hung.empty()) return true;
    fail("hang: " + hung);
    return false;
}

void Run::restAndNote(const char* label)
{
    std::string missed;
    if (!person_->rest(missed)) say(std::string("the resting state was not reached at ") + label + ":" + missed);
    int first = sampleRows(options_.dataDir);
    DWORD wait = DWORD(options_.sampleSeconds) * 3000 + 2000;
    waitUntil(wait, [&] { return sampleRows(options_.dataDir) >= first + 2; });
    int last = sampleRows(options_.dataDir) - 1;
    if (last < first) return;
    notes_.push_back(std::string("rest_") + label + "=" + std::to_string(first) + "-" + std::to_string(last));
    notes_.push_back(std::string("windows_") + label + "=" + windowCensus(client_.pid()));
}

int Run::go()
{
    say("seed " + std::to_string(options_.seed) + ", " + std::to_string(options_.minutes) + " min, data " +
        utf8(options_.dataDir));
    SetEnvironmentVariableW(L"CLIENT2_SAMPLER", std::to_wstring(options_.sampleSeconds).c_str());
    if (!startClient()) {
        fail("the client did not start or showed no funds within 30 s");
        writeRecords();
        return 1;
    }
    ClientScreen screen(client_.mainWindow(), client_.pid());
    feed_ = std::make_unique<Soak::Feed>(options_.dataDir, closedFundCodes(options_.dataDir + L"\\funds.db"), random_);
    person_ = std::make_unique<Soak::Person>(screen, options_.dataDir, random_);
    person_->tour();

    const ULONGLONG start = GetTickCount64(), quarter = start + (deadline_ - start) / 4;
    ULONGLONG nextPackage = start;
    bool quarterNoted = false;
    while (GetTickCount64() < deadline_) {
        std::wstring error;
        if (GetTickCount64() >= nextPackage) {
            if (!feed_->tick(error)) {
                fail("feed: " + utf8(error));
                break;
            }
            nextPackage = GetTickCount64() + 2000 + random_() % 3000;
        }
        if (!quarterNoted && GetTickCount64() >= quarter) {
            restAndNote("quarter");
            quarterNoted = true;
        }
        std::string name;
        shown_ += person_->act(name) ? 1 : 0;
        ++actions_;
        if (!alive()) break;
    }
    if (failures_.empty()) restAndNote("end");
    say(std::to_string(actions_) + " actions (tried/shown: " + person_->tally() + ")");

    std::wstring error;
    if (!feed_->finish(10000, error)) fail("feed: " + utf8(error));
    if (client_.running()) {
        if (!client_.close(kCloseMs))
            fail("the client did not end within 30 s of its window being closed");
        else if (client_.exitCode() != 0)
            fail("the client ended with exit code " + std::to_string(client_.exitCode()));
    }
    lastRound();
    writeRecords();
    return failures_.empty() ? 0 : 1;
}

// The updater applies pending packages when the page gets its database: one more start
// without the sampler gives every package written so far its round.
void Run::lastRound()
{
    Sleep(1500); // a package's quiet second
    SetEnvironmentVariableW(L"CLIENT2_SAMPLER", nullptr);
    if (!startClient()) {
        fail("the client did not start again for the updater's last round");
        return;
    }
    auto pending = [&] {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((options_.dataDir + L"\\updates\\*.sql").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return false;
        FindClose(search);
        return true;
    };
    if (!waitUntil(kLastRoundMs, [&] { return !pending(); })) say("packages still pending after the last round");
    Sleep(1000); // the reload the round set off
    if (!alive()) return;
    if (!client_.close(kCloseMs)) fail("the client did not end within 30 s after the last round");
}

void Run::writeRecords()
{
    std::string exports;
    for (const Soak::ExportRecord& e : person_ ? person_->exports() : std::vector<Soak::ExportRecord>())
        exports += utf8(e.path) + "\t" + std::to_string(e.rows) + "\n";
    TestSupport::writeFileBytes(options_.dataDir + L"\\soak-exports.tsv", exports);

    std::string run = "seed=" + std::to_string(options_.seed) + "\nminutes=" + std::to_string(options_.minutes) +
                      "\nactions=" + std::to_string(actions_) + "\nshown=" + std::to_string(shown_) +
                      "\npackages=" + std::to_string(feed_ ? feed_->written() : 0) + "\n";
    for (const std::string& note : notes_) run += note + "\n";
    for (const std::string& why : failures_) run += "failure=" + why + "\n";
    TestSupport::writeFileBytes(options_.dataDir + L"\\soak-run.txt", run);
}

} // namespace

int main()
{
    Options options;
    if (!parse(options)) {
        std::fprintf(stderr, "usage: soak_driver --minutes M --seed S --data DIR [--sample SECONDS]\n");
        return 2;
    }
    CreateDirectoryW(options.dataDir.c_str(), nullptr);
    return Run(options).go();
}
