// Nothing may unwind out of a call that Windows or the kernel makes into our code (a window
// or dialog procedure, a thread's start routine, an event's subscriber, an operation of an
// interface we hand over: the module's, a page's, a view's event sink, a filter, an
// accessible object): the frames above it belong to the system or to another binary, and
// an exception crossing them ends the process or leaves a message half handled. Every such
// entry point runs its body through guardCallback, which logs what escaped and gives the
// caller the entry point's default result instead (E_FAIL for a COM method).
//
// The common library is linked into each binary, so each has its own log sink: the debugger
// output until the binary sets another (the host its kernel log, the module its own log).
#pragma once
#include <exception>
#include <utility>

namespace Common {

typedef void (*EscapeLog)(const wchar_t* text);
// Where this binary's guards report; null puts back the debugger output.
void setEscapeLog(EscapeLog log);

// Logs that an exception reached the named entry point; what is the exception's own text
// when it has one. Never throws: it runs inside the guard's handler.
void logEscapedException(const wchar_t* where, const char* what) noexcept;

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

} // namespace Common
