// What this process writes to the debugger output while an object of this class lives: the
// only place a module's warnings go on a host without a log. The platform raises such a
// text as a continuable exception for a debugger to see; a vectored handler reads it first
// and lets the platform's own handling go on.
#pragma once
#include <string>
#include <vector>

namespace Robust {

class DebugOutput {
public:
    DebugOutput();
    ~DebugOutput();
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;

    // The texts written so far (by any thread), one per call, in order; each text once,
    // whether the platform raised it in its wide form, its narrow form, or both.
    std::vector<std::wstring> lines() const;
    // How many of them begin with prefix.
    int startingWith(const std::wstring& prefix) const;

private:
    void* handler_ = nullptr;
};

} // namespace Robust
