// "mod_Database": the fund database of the data folder. A first run finds no database (or an
// empty file of that name) and puts the labelled sample in its place, dated the last weekday,
// so that the client has something current-looking to show.
#pragma once
#include "BuiltInModule.h"
#include "hostapi/DatabaseHost.h"

namespace HostShell {

class DbModule final : public BuiltInModule<Host::IDbModule> {
public:
    explicit DbModule(XStringW path);

    // Opened (and, when missing or empty, written as the sample) on first request. Always an
    // object: a database that cannot be opened is closed, with its error in getLastError.
    XComPtr<Host::IDatabase> getFundDatabase() override;
    // The same database with the host's operations (its error text, its path).
    XComPtr<Host::IDatabaseHost> fundDatabase();
    void uninitialize() override { database_.reset(); }

    // True when this run wrote the sample database.
    bool madeSample() const { return madeSample_; }
    // True when the open database is the labelled sample.
    bool holdsSample();
    const XStringW& path() const { return path_; }
    // Why the fund database is not open and what the person can do, in one sentence for
    // the status bar; the technical reason is in the log. Empty when it is open.
    XStringW openError();
    // True when the file is there but damaged or no fund database: it may be set aside.
    bool canSetAside();
    // Renames the damaged file (and the files SQLite keeps beside it) to
    // "funds.db.damaged-YYYYMMDD-HHMMSS", never replacing another, writes the labelled
    // sample in its place and opens it in the same database object the pages hold. False
    // with why (for the person) when nothing was set aside or the sample did not open.
    bool setAside(XStringW& movedTo, XStringW& error);

private:
    const XStringW path_;
    XComPtr<Host::IDatabaseHost> database_;
    XStringW sampleError_; // why the sample could not be written in place of a missing file
    bool madeSample_ = false;
};

} // namespace HostShell
