// scripts/bench [CASE...]: runs the named cases (all without names) and prints a header line,
// then one tab-separated line per case: name, ns/op ours, ns/op baseline, ratio ours/baseline.
// An unknown case name fails before anything runs, with the known names on stderr.
#include "Bench.h"
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

namespace Bench {

static std::vector<Case>& cases() { static std::vector<Case> all; return all; }

bool registerCase(Case c) { cases().push_back(std::move(c)); return true; }

static double nanosPerOp(const std::function<size_t(size_t)>& fn, size_t iterations, size_t& sink)
{
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    sink += fn(iterations / 10 + 1);   // warm caches and lazily built state
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        QueryPerformanceCounter(&t0);
        sink += fn(iterations);
        QueryPerformanceCounter(&t1);
        double ns = double(t1.QuadPart - t0.QuadPart) * 1e9 / double(freq.QuadPart) / double(iterations);
        if (ns < best) best = ns;
    }
    return best;
}

static bool isCase(const std::string& name)
{
    for (const Case& c : cases())
        if (c.name == name) return true;
    return false;
}

static std::string narrow(const wchar_t* arg)
{
    std::wstring wide(arg);
    return std::string(wide.begin(), wide.end());
}

} // namespace Bench

int wmain(int argc, wchar_t** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (Bench::isCase(Bench::narrow(argv[i]))) continue;
        std::fprintf(stderr, "bench: no case named %s; the cases are:\n", Bench::narrow(argv[i]).c_str());
        for (const Bench::Case& c : Bench::cases())
            std::fprintf(stderr, "  %s\n", c.name.c_str());
        return 2;
    }
    std::printf("case\tours (ns/op)\tbaseline (ns/op)\tratio (ours/baseline)\n");
    size_t sink = 0;
    for (const Bench::Case& c : Bench::cases()) {
        if (argc > 1) {
            bool wanted = false;
            for (int i = 1; i < argc; ++i)
                if (Bench::narrow(argv[i]) == c.name) wanted = true;
            if (!wanted) continue;
        }
        double ours = Bench::nanosPerOp(c.ours, c.iterations, sink);
        double base = Bench::nanosPerOp(c.baseline, c.iterations, sink);
        std::printf("%s\t%.1f\t%.1f\t%.2f\n", c.name.c_str(), ours, base, base > 0 ? ours / base : 0.0);
        std::fflush(stdout);
    }
    return sink == 42 ? 1 : 0;   // keeps the work observable
}
