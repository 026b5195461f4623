#include "DebugOutput.h"
#include "common/XString.h"
#include <windows.h>
#include <mutex>

namespace Robust {

namespace {

// The platform's codes for a debugger text: narrow (length with its terminator, address)
// and, where it has it, wide first (then the same text again narrow).
const DWORD kNarrowText = 0x40010006; // DBG_PRINTEXCEPTION_C
const DWORD kWideText = 0x4001000A;   // DBG_PRINTEXCEPTION_WIDE_C

std::mutex g_lock;
std::vector<std::wstring>* g_lines = nullptr;
bool g_wideSeen = false; // the narrow form that follows a wide one is the same text

LONG CALLBACK readDebugText(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info ? info->ExceptionRecord : nullptr;
    if (!record || record->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    DWORD code = record->ExceptionCode;
    if (code != kNarrowText && code != kWideText) return EXCEPTION_CONTINUE_SEARCH;
    size_t length = size_t(record->ExceptionInformation[0]);
    const void* text = reinterpret_cast<const void*>(record->ExceptionInformation[1]);
    if (!text || length == 0) return EXCEPTION_CONTINUE_SEARCH;
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_lines) return EXCEPTION_CONTINUE_SEARCH;
    if (code == kWideText) {
        g_lines->emplace_back(static_cast<const wchar_t*>(text), length - 1);
        g_wideSeen = true;
    } else if (g_wideSeen) {
        g_wideSeen = false;
    } else {
        g_lines->push_back(Common::toWide(static_cast<const char*>(text), length - 1, CP_ACP));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

DebugOutput::DebugOutput()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_lines = new std::vector<std::wstring>;
    g_wideSeen = false;
    handler_ = ::AddVectoredExceptionHandler(1, readDebugText);
}

DebugOutput::~DebugOutput()
{
    if (handler_) ::RemoveVectoredExceptionHandler(handler_);
    std::lock_guard<std::mutex> hold(g_lock);
    delete g_lines;
    g_lines = nullptr;
}

std::vector<std::wstring> DebugOutput::lines() const
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_lines ? *g_lines : std::vector<std::wstring>();
}

int DebugOutput::startingWith(const std::wstring& prefix) const
{
    int n = 0;
    for (const std::wstring& line : lines())
        if (line.compare(0, prefix.size(), prefix) == 0) ++n;
    return n;
}

} // namespace Robust
