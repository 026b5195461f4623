// Benchmark cases: each measures our operation and a baseline doing the same work the
// plainest way, and the program prints name, ns/op (ours), ns/op (baseline), ratio.
#pragma once
#include <functional>
#include <memory>
#include <string>

namespace Bench {

struct Case {
    std::string name;
    // Runs the operation `iterations` times; returns a value derived from the results so
    // the compiler cannot drop the work.
    std::function<size_t(size_t iterations)> ours;
    std::function<size_t(size_t iterations)> baseline;
    size_t iterations;
    // For a case that measures something other than time (memory): one round's figures,
    // ours and the baseline, reported as they are instead of as ns/op.
    std::function<void(double& ours, double& baseline)> sample = nullptr;
    // Runs only with the host in contract-only mode (CLIENT2_CONTRACT_ONLY=1, a process of
    // its own): the module on the client's interface alone. Its name ends in "-contract".
    bool contractOnly = false;
};

bool registerCase(Case c);

// A mode runs instead of the cases when its name is the first argument, and prints its own
// table.
bool registerMode(const std::string& name, std::function<int()> run);

// A growth series for the growth mode: the seconds one run of ours and of the baseline takes
// at a row count. The mode runs every series at 10^3 to 10^6 rows, alternating rounds, and
// prints the time per row and the exponent of time against rows fitted for each side.
struct Series {
    std::string name;
    std::function<double(int rows)> ours;
    std::function<double(int rows)> baseline;
};

bool registerSeries(Series s);

// One T made for the size last asked for, kept for the rounds at that size. A series goes
// up to a million rows, so the last size's is dropped before the next is made.
template <class T>
T& keptForSize(int size)
{
    static std::unique_ptr<T> kept;
    static int keptSize = 0;
    if (!kept || keptSize != size) {
        kept.reset();
        kept = std::make_unique<T>(size);
        keptSize = size;
    }
    return *kept;
}

// The seconds run() takes, divided by iterations (run repeats its work that often).
double secondsPerIteration(const std::function<size_t(size_t iterations)>& run, size_t iterations);

} // namespace Bench

#define BENCH_CASE(var, ...) static const bool benchRegistered_##var = ::Bench::registerCase(__VA_ARGS__)
#define BENCH_MODE(var, name, fn) static const bool benchMode_##var = ::Bench::registerMode(name, fn)
#define BENCH_SERIES(var, ...) static const bool benchSeries_##var = ::Bench::registerSeries(__VA_ARGS__)
