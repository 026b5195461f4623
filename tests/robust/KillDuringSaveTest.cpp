// Kills during saves: this suite's program, started again as a child that saves the grid's
// header and the font size over and over, is ended with TerminateProcess at random moments.
// Each time the store must open holding the old or the new value of each key: never empty,
// never a header without columns, never a store fallen back to nothing.
#include "RobustSupport.h"
#include "TempDir.h"
#include "TestModules.h"
#include "grid/ClosedFundGrid.h"
#include "grid/HeaderXml.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>
#include <cstdlib>

using namespace Robust;

namespace {

const char kStoreVariable[] = "CLIENT2_KILL_STORE";
const wchar_t* const kWidths[2] = {L"41", L"57"};
const wchar_t* const kFontSizes[2] = {L"1.25", L"1.5"};

// The first column's width in a header text; empty without one.
std::wstring firstWidth(const std::wstring& header)
{
    size_t at = header.find(L"width=\"");
    if (at == std::wstring::npos) return {};
    at += 7;
    return header.substr(at, header.find(L'"', at) - at);
}

std::wstring withFirstWidth(std::wstring header, const wchar_t* width)
{
    size_t at = header.find(L"width=\"");
    if (at == std::wstring::npos) return header;
    at += 7;
    return header.replace(at, header.find(L'"', at) - at, width);
}

XStringW valueOf(Host::IConfManager* conf, const char* key, bool& present)
{
    XComPtr<Host::IConfKey> k = conf->getKey(key);
    present = bool(k);
    XComPtr<Host::IConfValue> v = k ? k->getValue() : XComPtr<Host::IConfValue>();
    return v ? v->getString() : XStringW();
}

PROCESS_INFORMATION startChild(const std::wstring& store)
{
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(exe) +
                           L"\" --gtest_also_run_disabled_tests --gtest_filter=KillChild.DISABLED_SavesUntilKilled";
    SetEnvironmentVariableW(L"CLIENT2_KILL_STORE", store.c_str());
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul =
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nul;
    si.hStdOutput = nul;
    si.hStdError = nul;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        pi = PROCESS_INFORMATION{};
    SetEnvironmentVariableW(L"CLIENT2_KILL_STORE", nullptr);
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    return pi;
}

bool waitForFile(const std::wstring& path, HANDLE process, DWORD ms)
{
    for (DWORD waited = 0; waited < ms; waited += 5) {
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        if (WaitForSingleObject(process, 5) == WAIT_OBJECT_0) return false;
    }
    return false;
}

} // namespace

// Run only as the child of the test below: saves until it is killed. It says it is ready
// (a file beside the store) once its first header and font size are stored.
TEST(KillChild, DISABLED_SavesUntilKilled)
{
    const char* store = std::getenv(kStoreVariable);
    ASSERT_TRUE(store && *store);
    std::wstring path = Common::fromUtf8(store);
    TestSupport::TestApp app;
    app.userConf = Host::openUserConf(path.c_str());
    ASSERT_TRUE(app.userConf);
    ClosedFund::closedFundGrid grid;
    grid.SetApp(&app);
    const std::wstring base = grid.LoadHeaderText();
    XComPtr<Host::IConfValue> size = Host::createInstanceAs<Host::IConfValue>("Conf.ConfValue");
    for (unsigned i = 0;; ++i) {
        grid.SetHeaderText(withFirstWidth(base, kWidths[i % 2]));
        grid.OnHeaderChange();
        XComPtr<Host::IConfKey> key = app.userConf->getKey(ClosedFund::kFontSizeKey);
        if (!key) key = app.userConf->createKey(ClosedFund::kFontSizeKey);
        size->setString(kFontSizes[i % 2]);
        if (key) key->setValue(size.get());
        if (i == 1) TestSupport::writeFileBytes(path + L".ready", "ready");
    }
}

TEST(KillsDuringSaves, TheStoreHoldsTheOldOrTheNewValue)
{
    Tally tally("kills during saves");
    TestSupport::TempDir dir;
    const std::wstring store = dir.file(L"user.conf");
    const uint32_t seedValue = seed(1234);
    std::mt19937 rng(seedValue);
    int kills = scaled(20, 100);
    for (int k = 0; k < kills; ++k) {
        std::string name = "seed " + std::to_string(seedValue) + " kill " + std::to_string(k);
        DeleteFileW((store + L".ready").c_str());
        PROCESS_INFORMATION child = startChild(store);
        ASSERT_TRUE(child.hProcess) << "the child could not start";
        bool ready = waitForFile(store + L".ready", child.hProcess, 30000);
        DWORD delay = rng() % 60;
        Sleep(delay);
        TerminateProcess(child.hProcess, 9);
        WaitForSingleObject(child.hProcess, 30000);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        ASSERT_TRUE(ready) << name << ": the child never saved";
        name += " after " + std::to_string(delay) + " ms";

        XComPtr<Host::IConfManager> conf = Host::openUserConf(store.c_str());
        bool headerThere = false, sizeThere = false;
        XStringW header = valueOf(conf.get(), ClosedFund::kCustomHeaderKey, headerThere);
        XStringW fontSize = valueOf(conf.get(), ClosedFund::kFontSizeKey, sizeThere);
        std::string problem;
        std::wstring width = firstWidth(header);
        if (!headerThere || ClosedFund::shownHeaderColumns(header) <= 0)
            problem = "header missing or unusable";
        else if (width != kWidths[0] && width != kWidths[1])
            problem = "header width " + narrow(width);
        if (!sizeThere || (fontSize != kFontSizes[0] && fontSize != kFontSizes[1]))
            problem += " font size \"" + narrow(fontSize) + "\"";
        if (problem.empty())
            tally.pass();
        else
            tally.fail(name + ":" + problem);
        EXPECT_TRUE(problem.empty()) << name << ": " << problem;
    }
}
