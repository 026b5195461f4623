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
    // Why the fund database is not open, in the status bar's words: the file and the
    // database's own reason. Empty when it is open.
    XStringW openError();

private:
    const XStringW path_;
    XComPtr<Host::IDatabaseHost> database_;
    XStringW sampleError_; // why the sample could not be written in place of a missing file
    bool madeSample_ = false;
};

} // namespace HostShell
