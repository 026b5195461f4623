// The client's own counters for a long run (scripts/soak). When CLIENT2_SAMPLER holds a
// number of seconds, a small thread appends one line every that many seconds to
// soak-samples.csv in the data folder:
//   seconds,private_bytes,gdi_objects,windows,handles
// It only reads counters of this process: it touches no window's state and calls no module,
// so the client runs as it would without it. A run without the variable starts no thread.
#pragma once
#include "common/ScopedWin.h"
#include <string>

namespace HostShell {

// What one sample holds. handles is -1 where the system does not count them (Wine answers 0).
struct ProcessCounts {
    unsigned long long privateBytes = 0;
    int gdiObjects = 0;
    int windows = 0; // top-level windows of this process and all their descendants
    int handles = -1;
};

// The counters of this process now. GDI objects are counted as the robustness tests count
// them: GetGuiResources, or where that answers 0 (Wine), every handle value probed.
ProcessCounts countProcess();

class Sampler {
public:
    // Starts sampling into dataDir when CLIENT2_SAMPLER is a whole number of seconds from 1
    // to 3600; any other value, or none, leaves the sampler idle.
    explicit Sampler(const std::wstring& dataDir);
    ~Sampler();
    Sampler(const Sampler&) = delete;
    Sampler& operator=(const Sampler&) = delete;
    Sampler(Sampler&&) = delete; // the thread holds this object's address
    Sampler& operator=(Sampler&&) = delete;

    bool running() const { return thread_.valid(); }

private:
    static unsigned __stdcall threadMain(void* self) noexcept;
    void run();
    bool append(const std::string& text) const;

    std::wstring file_;
    DWORD intervalMs_ = 0;
    Common::ScopedHandle stop_;
    Common::ScopedHandle thread_;
};

} // namespace HostShell
