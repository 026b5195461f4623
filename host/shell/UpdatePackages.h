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

namespace HostShell {

struct PackageRun {
    int applied = 0;      // committed this run
    int failed = 0;       // rolled back and moved aside
    bool changed = false; // some committed package changed rows
    int waiting = 0;      // a package still being written stopped the run
    bool databaseOpen = false;
};

PackageRun applyPendingPackages(const std::wstring& databasePath, const std::wstring& packageDir);

} // namespace HostShell
