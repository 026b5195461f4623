#include "Sampler.h"
#include "common/CallbackGuard.h"
#include <windows.h>
#include <process.h>
#include <psapi.h>
#include <cstdio>
#include <cwchar>

namespace HostShell {

namespace {

const wchar_t kSamplerVariable[] = L"CLIENT2_SAMPLER";
const wchar_t kSampleFile[] = L"soak-samples.csv";
const char kHeader[] = "seconds,private_bytes,gdi_objects,windows,handles\r\n";
const DWORD kLongestIntervalSeconds = 3600;

// The interval the variable asks for in milliseconds; 0 when it is missing or not a whole
// number of seconds in range.
DWORD requestedInterval()
{
    wchar_t text[32] = {};
    DWORD length = GetEnvironmentVariableW(kSamplerVariable, text, DWORD(sizeof text / sizeof text[0]));
    if (length == 0 || length >= sizeof text / sizeof text[0]) return 0;
    wchar_t* end = nullptr;
    unsigned long seconds = wcstoul(text, &end, 10);
    if (end == text || *end != L'\0' || seconds == 0 || seconds > kLongestIntervalSeconds) return 0;
    return DWORD(seconds * 1000);
}

int gdiObjectCount()
{
    DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported) return int(reported);
    int count = 0;
    for (ULONG_PTR value = 1; value < 0x10000; ++value)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(value))) ++count;
    return count;
}

BOOL CALLBACK countChild(HWND, LPARAM total)
{
    ++*reinterpret_cast<int*>(total);
    return TRUE;
}

// Every top-level window of this process with all its descendants.
BOOL CALLBACK countTopLevel(HWND hwnd, LPARAM total)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<int*>(total);
    EnumChildWindows(hwnd, &countChild, total);
    return TRUE;
}

} // namespace

ProcessCounts countProcess()
{
    ProcessCounts counts;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    // The commit charge is the private memory; Wine fills only the older field, which holds it too.
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        counts.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    counts.gdiObjects = gdiObjectCount();
    EnumWindows(&countTopLevel, reinterpret_cast<LPARAM>(&counts.windows));
    DWORD handles = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &handles) && handles > 0) counts.handles = int(handles);
    return counts;
}

Sampler::Sampler(const std::wstring& dataDir) : file_(dataDir + L"\\" + kSampleFile), intervalMs_(requestedInterval())
{
    if (intervalMs_ == 0) return;
    stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop_.valid()) return;
    thread_.reset(HANDLE(_beginthreadex(nullptr, 0, &Sampler::threadMain, this, 0, nullptr)));
}

Sampler::~Sampler()
{
    if (!thread_.valid()) return;
    SetEvent(stop_.get());
    WaitForSingleObject(thread_.get(), INFINITE);
}

unsigned __stdcall Sampler::threadMain(void* self) noexcept
{
    return Common::guardCallback(L"the sampler", 1u, [&] {
        static_cast<Sampler*>(self)->run();
        return 0u;
    });
}

// The first line comes at once, so that a short run still has a start to compare with.
void Sampler::run()
{
    const ULONGLONG start = GetTickCount64();
    do {
        ProcessCounts counts = countProcess();
        char line[160];
        std::snprintf(line, sizeof line, "%.1f,%llu,%d,%d,", double(GetTickCount64() - start) / 1000.0,
                      counts.privateBytes, counts.gdiObjects, counts.windows);
        std::string text = line;
        if (counts.handles >= 0) text += std::to_string(counts.handles);
        if (!append(text + "\r\n")) return; // nowhere to write: sampling more would only cost
    } while (WaitForSingleObject(stop_.get(), intervalMs_) == WAIT_TIMEOUT);
}

// Opened and closed for every line, so that a client that dies leaves every line it took.
bool Sampler::append(const std::string& text) const
{
    Common::ScopedHandle file(CreateFileW(file_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    LARGE_INTEGER size = {};
    std::string out = GetFileSizeEx(file.get(), &size) && size.QuadPart == 0 ? kHeader + text : text;
    DWORD written = 0;
    return WriteFile(file.get(), out.data(), DWORD(out.size()), &written, nullptr) && written == out.size();
}

} // namespace HostShell
