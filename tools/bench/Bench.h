// Benchmark cases: each measures our operation and a baseline doing the same work the
// plainest way, and the program prints name, ns/op (ours), ns/op (baseline), ratio.
#pragma once
#include <functional>
#include <string>

namespace Bench {

struct Case {
    std::string name;
    // Runs the operation `iterations` times; returns a value derived from the results so
    // the compiler cannot drop the work.
    std::function<size_t(size_t iterations)> ours;
    std::function<size_t(size_t iterations)> baseline;
    size_t iterations;
    // The two functions return the figure themselves, in nanoseconds (a latency they
    // observed), instead of being timed.
    bool reportsFigure = false;
};

bool registerCase(Case c);

} // namespace Bench

#define BENCH_CASE(var, ...) static const bool benchRegistered_##var = ::Bench::registerCase(__VA_ARGS__)
