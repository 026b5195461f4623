// The bench builds its tables and reads its views through the kernel's own operations (the
// host's, beyond the client's interface), so that setting up a million rows does not weigh
// on a round. Null for a table or view that is not the kernel's.
#pragma once
#include "hostapi/DataHost.h"

namespace Bench {

inline Host::IDataTableHost* hostTable(Host::IDataTable* table) { return dynamic_cast<Host::IDataTableHost*>(table); }
inline Host::IDataViewHost* hostView(Host::IDataView* view) { return dynamic_cast<Host::IDataViewHost*>(view); }

} // namespace Bench
