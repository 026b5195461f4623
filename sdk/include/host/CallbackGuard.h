// Nothing may unwind out of a call that Windows or the kernel makes into our code (a window
// or dialog procedure, a thread's start routine, an event's subscriber): the frames above it
// belong to the system or to another binary, and an exception crossing them ends the
// process or leaves a message half handled. Every such entry point runs its body through
// guardCallback, which logs what escaped and gives the caller the entry point's default
// result instead.
#pragma once
#include "host/Kernel.h"
#include <exception>
#include <string>
#include <utility>

namespace Host {

// Logs that an exception reached the named entry point; what is the exception's own text
// when it has one. Never throws: it runs inside the guard's handler.
inline void logEscapedException(const wchar_t* where, const char* what) noexcept
{
    try {
        std::wstring text = L"an exception stopped at ";
        text += where ? where : L"a callback";
        if (what && *what) {
            text += L": ";
            // The text of a standard exception is ASCII in practice; a byte beyond it shows as '?'.
            for (const char* c = what; *c; ++c) text += (*c & 0x80) ? L'?' : wchar_t(*c);
        }
        logWarning(text.c_str());
    } catch (...) {
        logWarning(L"an exception stopped at a callback");
    }
}

// The body's result, or fallback when the body throws.
template <class Result, class Body>
Result guardCallback(const wchar_t* where, Result fallback, Body&& body) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (const std::exception& e) {
        logEscapedException(where, e.what());
    } catch (...) {
        logEscapedException(where, nullptr);
    }
    return fallback;
}

// For an entry point that returns nothing.
template <class Body>
void guardCallback(const wchar_t* where, Body&& body) noexcept
{
    guardCallback(where, 0, [&] {
        std::forward<Body>(body)();
        return 0;
    });
}

} // namespace Host
