// Update packages: SQL text files (UTF-8, any name ending ".sql") dropped into the update
// folder, whose last non-blank line is "-- end of package". Writers write the package under
// another name and rename it when complete; a package that is still open for writing, was
// written to within the last second or lacks its end marker waits for the next round. Pending packages are applied in name order, each in one transaction on a
// connection of the caller's thread, and then moved to "done"; a package that fails is
// rolled back and moved to "failed" with a logged warning. The name of every applied
// package is recorded in the database within its own transaction, so a package is never
// applied twice, even when moving it away failed or the client stopped in between. A package
// stopped by the database (busy, damaged, full) stays pending, with the ones after it.
#pragma once
#include <string>
#include <vector>

namespace HostShell {

// A package the run gave up on: its file name and why, in a few words for the person (the
// technical text goes to the log). moved is false when it could not be moved to "failed" and
// will meet the next run again.
struct FailedPackage {
    std::wstring name;
    std::wstring reason;
    bool moved = false;
};

struct PackageRun {
    int applied = 0;      // committed this run
    int failed = 0;       // rolled back and moved aside
    bool changed = false; // some committed package changed rows
    int waiting = 0;      // a package still being written stopped the run
    bool databaseOpen = false;
    std::vector<FailedPackage> setAside;
    // The package that stopped the run is still inside its quiet second (or held open by its
    // writer): worth looking at again after this many milliseconds; -1 when nothing will
    // change by waiting alone.
    int lookAgainMs = -1;
};

PackageRun applyPendingPackages(const std::wstring& databasePath, const std::wstring& packageDir);

} // namespace HostShell
