// Warnings of the kernel and the host: to the debugger output always, and as one UTF-8
// line with a local timestamp appended to the log file once one is set.
#include "common/CallbackGuard.h"
#include "common/ScopedWin.h"
#include "hostapi/KernelHost.h"
#include <windows.h>
#include <cstdio>
#include <string>

namespace {

Common::CriticalSection& logLock()
{
    static Common::CriticalSection cs;
    return cs;
}
std::wstring& logPath()
{
    static std::wstring path;
    return path;
}

// A warning is one line of the log: line breaks inside it become blanks.
std::wstring oneLine(const wchar_t* text)
{
    std::wstring line = text ? text : L"";
    for (wchar_t& c : line) {
        if (c == L'\r' || c == L'\n') c = L' ';
    }
    return line;
}

// Opened per line and shared with readers, so a tester or a viewer can read the log while
// the client runs; FILE_APPEND_DATA keeps lines whole when two processes append.
void appendLine(const std::wstring& path, const std::string& bytes)
{
    Common::ScopedHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return;
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

} // namespace

namespace Host {

void logWarning(const wchar_t* text)
{
    std::wstring line = oneLine(text);
    OutputDebugStringW((L"client2: " + line + L"\n").c_str());

    Common::CriticalSection::Lock lock(logLock());
    if (logPath().empty()) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[40];
    snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond, now.wMilliseconds);
    appendLine(logPath(), stamp + Common::toUtf8(line) + "\r\n");
}

// An empty or null path turns the log file off.
void setLogFile(const wchar_t* path)
{
    Common::CriticalSection::Lock lock(logLock());
    logPath() = path ? path : L"";
}

} // namespace Host

namespace {

// What escapes a callback inside the kernel (an event's subscriber) goes to the kernel's
// log, from the moment the kernel is loaded.
const bool escapesLogged = (Common::setEscapeLog(&Host::logWarning), true);

} // namespace
