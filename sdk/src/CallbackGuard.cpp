#include "common/CallbackGuard.h"
#include <atomic>
#include <string>
#include <windows.h>

namespace Common {

namespace {

void debuggerLog(const wchar_t* text)
{
    OutputDebugStringW(text);
    OutputDebugStringW(L"\n");
}

std::atomic<EscapeLog> escapeLog{&debuggerLog};

} // namespace

void setEscapeLog(EscapeLog log) { escapeLog.store(log ? log : &debuggerLog); }

void logEscapedException(const wchar_t* where, const char* what) noexcept
{
    EscapeLog log = escapeLog.load();
    try {
        std::wstring text = L"an exception stopped at ";
        text += where ? where : L"a callback";
        if (what && *what) {
            text += L": ";
            // The text of a standard exception is ASCII in practice; a byte beyond it shows as '?'.
            for (const char* c = what; *c; ++c) text += (*c & 0x80) ? L'?' : wchar_t(*c);
        }
        log(text.c_str());
    } catch (...) {
        log(L"an exception stopped at a callback");
    }
}

} // namespace Common
