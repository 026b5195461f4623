#include "ClientProcess.h"
#include "RemoteUi.h"
#include "hostapi/KernelHost.h"
#include "TempDir.h"
#include <gtest/gtest.h>
#include <vector>

namespace Journey {

namespace {

std::wstring programFolder()
{
    wchar_t buffer[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, buffer, DWORD(sizeof buffer / sizeof buffer[0]));
    std::wstring path(buffer, n);
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

// The test's own environment with CLIENT2_DATA_DIR set to dataDir, as a Unicode block.
std::vector<wchar_t> environmentWith(const std::wstring& dataDir)
{
    const std::wstring key = L"CLIENT2_DATA_DIR=";
    std::vector<wchar_t> block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* p = strings; p && *p; p += wcslen(p) + 1) {
        std::wstring entry(p);
        if (_wcsnicmp(entry.c_str(), key.c_str(), key.size()) == 0) continue;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    if (strings) FreeEnvironmentStringsW(strings);
    std::wstring ours = key + dataDir;
    block.insert(block.end(), ours.begin(), ours.end());
    block.push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

// In contract-only mode the client logs every call into the client's interface made off
// the user-interface thread; a client that made one fails the test that ran it.
void expectNoContractCallsOffThread(const std::wstring& dataDir)
{
    if (!Host::contractOnly()) return;
    std::string text = TestSupport::readFileBytes(dataDir + L"\\client2.log");
    EXPECT_EQ(text.find("contract call off the user-interface thread"), std::string::npos) << text;
}

} // namespace

ClientProcess::ClientProcess(std::wstring dataDir) : dataDir_(std::move(dataDir)) {}

ClientProcess::~ClientProcess()
{
    terminate();
    releaseHandles();
    if (job_) CloseHandle(job_);
    expectNoContractCallsOffThread(dataDir_);
}

void ClientProcess::releaseHandles()
{
    if (info_.hThread) CloseHandle(info_.hThread);
    if (info_.hProcess) CloseHandle(info_.hProcess);
    info_ = PROCESS_INFORMATION{};
}

bool ClientProcess::start(DWORD ms)
{
    if (running()) return false;
    releaseHandles();
    std::wstring exe = programFolder() + L"\\client2.exe";
    std::wstring commandLine = L"\"" + exe + L"\"";
    std::vector<wchar_t> environment = environmentWith(dataDir_);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        environment.data(), programFolder().c_str(), &startup, &info_)) {
        info_ = PROCESS_INFORMATION{};
        return false;
    }
    // A second line of defence besides the destructor: a test program that dies takes the
    // client with it where the system supports it.
    if (!job_) {
        job_ = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (job_) SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    if (job_) AssignProcessToJobObject(job_, info_.hProcess);
    WaitForInputIdle(info_.hProcess, ms);
    if (!waitUntil(ms, [&] { return !running() || (mainWindow_ = findMainWindow()) != nullptr; }) || !mainWindow_) {
        terminate();
        return false;
    }
    return true;
}

// The client's main window: its visible top-level window whose title names the client.
HWND ClientProcess::findMainWindow() const
{
    for (HWND hwnd : topLevelWindows(pid()))
        if (IsWindowVisible(hwnd) && windowTitle(hwnd).rfind(L"Client2", 0) == 0) return hwnd;
    return nullptr;
}

bool ClientProcess::close(DWORD ms)
{
    if (!running()) return true;
    if (mainWindow_) PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
    bool ended = WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0;
    if (!ended) terminate();
    mainWindow_ = nullptr;
    return ended;
}

void ClientProcess::terminate()
{
    if (!info_.hProcess) return;
    if (running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

bool ClientProcess::running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

DWORD ClientProcess::exitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (info_.hProcess) GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

} // namespace Journey
