// The busy feed of a soak: a package into the client's updates folder on every tick. Most
// are written as a careful writer does (under another name, then renamed to .sql); some
// carelessly (straight as .sql in two steps, holding the file open in between, or renamed
// to .sql before their second half is written); some carry SQL that fails. Every package is
// listed with its kind in soak-packages.tsv in the data folder, so that the run can account
// for each one at its end.
#pragma once
#include "common/ScopedWin.h"
#include <random>
#include <string>
#include <vector>

namespace Soak {

class Feed {
public:
    // codes: funds of tb_closedfund whose prices and net values the good packages change.
    Feed(std::wstring dataDir, std::vector<std::wstring> codes, std::mt19937& random);
    ~Feed() = default;
    Feed(const Feed&) = delete;
    Feed& operator=(const Feed&) = delete;
    Feed(Feed&&) = delete;
    Feed& operator=(Feed&&) = delete;

    // Finishes the careless package begun on the tick before, if any, else writes a new
    // package. False with the reason when the folder cannot be written.
    bool tick(std::wstring& error);
    // Completes a careless package still half written (retrying while the updater reads
    // it, at most ms); the run calls it before the client's last round.
    bool finish(DWORD ms, std::wstring& error);
    int written() const { return written_; }

private:
    enum class Kind { Good, CarelessInPlace, CarelessRenamedEarly, Bad };
    struct HalfWritten {
        std::wstring path; // the .sql file
        std::string rest;
        Common::ScopedHandle file; // held open by the in-place writer; closed by the early renamer
    };

    bool writeNew(std::wstring& error);
    // False only on a real failure; a sharing violation (the updater reading the file)
    // leaves the half for the next try.
    bool completeHalf(std::wstring& error);
    std::string goodScript(int number);
    std::string badScript(int number);
    bool record(const std::wstring& name, Kind kind, std::wstring& error);

    std::wstring dataDir_, updates_;
    std::vector<std::wstring> codes_;
    std::mt19937& random_;
    int written_ = 0;
    bool half_ = false;
    HalfWritten halfWritten_;
};

} // namespace Soak
