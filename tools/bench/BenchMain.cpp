// scripts/bench [CASE...]: runs the named cases (all without names) and prints a header line,
// then one tab-separated line per case: name, ns/op ours, ns/op baseline, ratio ours/baseline,
// each the median of five alternating rounds. An unknown case name fails before anything
// runs, with the known names on stderr.
#include "Bench.h"
#include "hostapi/KernelHost.h"
#include <windows.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace Bench {

static std::vector<Case>& cases()
{
    static std::vector<Case> all;
    return all;
}

bool registerCase(Case c)
{
    cases().push_back(std::move(c));
    return true;
}

static std::map<std::string, std::function<int()>>& modes()
{
    static std::map<std::string, std::function<int()>> all;
    return all;
}

bool registerMode(const std::string& name, std::function<int()> run)
{
    modes()[name] = std::move(run);
    return true;
}

static std::vector<Series>& series()
{
    static std::vector<Series> all;
    return all;
}

bool registerSeries(Series s)
{
    series().push_back(std::move(s));
    return true;
}

static size_t g_sink = 0; // keeps the work of timed runs observable

double secondsPerIteration(const std::function<size_t(size_t)>& run, size_t iterations)
{
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    g_sink += run(iterations);
    QueryPerformanceCounter(&t1);
    return double(t1.QuadPart - t0.QuadPart) / double(freq.QuadPart) / double(iterations);
}

static double nanosOnce(const std::function<size_t(size_t)>& fn, size_t iterations, size_t& sink)
{
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    sink += fn(iterations);
    QueryPerformanceCounter(&t1);
    return double(t1.QuadPart - t0.QuadPart) * 1e9 / double(freq.QuadPart) / double(iterations);
}

static double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Ours and the baseline take turns, so that a slow spell of a shared machine falls on both;
// each side's median of the rounds is reported.
static void measure(const Case& c, size_t& sink, double& ours, double& base)
{
    const int kRounds = 5;
    if (c.sample) {
        std::vector<double> o(kRounds), b(kRounds);
        for (int round = 0; round < kRounds; ++round) c.sample(o[size_t(round)], b[size_t(round)]);
        ours = median(o);
        base = median(b);
        return;
    }
    sink += c.ours(c.iterations / 10 + 1); // warm caches and lazily built state
    sink += c.baseline(c.iterations / 10 + 1);
    std::vector<double> o, b;
    for (int round = 0; round < kRounds; ++round) {
        o.push_back(nanosOnce(c.ours, c.iterations, sink));
        b.push_back(nanosOnce(c.baseline, c.iterations, sink));
    }
    ours = median(o);
    base = median(b);
}

// Least-squares slope of log(time) against log(rows).
static double exponentOf(const std::vector<double>& rows, const std::vector<double>& seconds)
{
    double n = double(rows.size()), sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        double x = std::log(rows[i]), y = std::log(seconds[i]);
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

static int growth()
{
    std::printf("series\trows\tours (ns/row)\tbaseline (ns/row)\tratio (ours/baseline)\n");
    for (const Series& s : series()) {
        std::vector<double> rows, ours, base;
        for (int n = 1000; n <= 1000000; n *= 10) {
            s.ours(n); // builds what the size needs and warms caches
            std::vector<double> o, b;
            for (int round = 0; round < 5; ++round) {
                o.push_back(s.ours(n));
                b.push_back(s.baseline(n));
            }
            rows.push_back(n);
            ours.push_back(median(o));
            base.push_back(median(b));
            std::printf("%s\t%d\t%.1f\t%.1f\t%.2f\n", s.name.c_str(), n, ours.back() * 1e9 / n, base.back() * 1e9 / n,
                        ours.back() / base.back());
            std::fflush(stdout);
        }
        double mine = exponentOf(rows, ours), plain = exponentOf(rows, base);
        std::printf("%s\texponent\t%.3f\t%.3f\t%.3f\n", s.name.c_str(), mine, plain, mine / plain);
        std::fflush(stdout);
    }
    return g_sink == 42 ? 1 : 0;
}

static bool isCase(const std::string& name)
{
    for (const Case& c : cases())
        if (c.name == name) return true;
    return false;
}

// For a name that is no case: the cases, and the modes, which run alone.
static void listNames()
{
    std::fprintf(stderr, "the cases are:\n");
    for (const Case& c : cases()) std::fprintf(stderr, "  %s\n", c.name.c_str());
    std::fprintf(stderr, "and the modes, each alone and first: growth");
    for (const auto& mode : modes()) std::fprintf(stderr, ", %s", mode.first.c_str());
    std::fprintf(stderr, "\n");
}

// A case measures one mode of the host; the mode is the process's, read once. False, with
// why, when a case named runs only in the other mode.
static bool namedForThisMode(const std::vector<std::string>& names)
{
    for (const Case& c : cases()) {
        if (c.contractOnly == Host::contractOnly() || std::find(names.begin(), names.end(), c.name) == names.end())
            continue;
        std::fprintf(stderr, "bench: %s runs %s CLIENT2_CONTRACT_ONLY=1 (scripts/bench sees to it)\n", c.name.c_str(),
                     c.contractOnly ? "only with" : "only without");
        return false;
    }
    return true;
}

static std::string narrow(const wchar_t* arg)
{
    std::wstring wide(arg);
    return std::string(wide.begin(), wide.end());
}

} // namespace Bench

// Without --no-header the table starts with its header line; scripts/bench runs the
// contract-only cases in a second process and leaves the header to the first.
int wmain(int argc, wchar_t** argv)
{
    // The cases drive the module's code as the client's user-interface thread does.
    Host::registerHostThread();
    if (argc > 1 && Bench::narrow(argv[1]) == "growth") return Bench::growth();
    if (argc > 1) {
        auto mode = Bench::modes().find(Bench::narrow(argv[1]));
        if (mode != Bench::modes().end()) return mode->second();
    }
    bool header = true;
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i) {
        std::string name = Bench::narrow(argv[i]);
        if (name == "--no-header") {
            header = false;
            continue;
        }
        names.push_back(name);
        if (Bench::isCase(name)) continue;
        std::fprintf(stderr, "bench: no case named %s; ", name.c_str());
        Bench::listNames();
        return 2;
    }
    if (!Bench::namedForThisMode(names)) return 2;
    if (header) std::printf("case\tours (ns/op)\tbaseline (ns/op)\tratio (ours/baseline)\n");
    size_t sink = 0;
    for (const Bench::Case& c : Bench::cases()) {
        if (c.contractOnly != Host::contractOnly()) continue;
        if (!names.empty() && std::find(names.begin(), names.end(), c.name) == names.end()) continue;
        double ours = 0, base = 0;
        Bench::measure(c, sink, ours, base);
        std::printf("%s\t%.1f\t%.1f\t%.2f\n", c.name.c_str(), ours, base, base > 0 ? ours / base : 0.0);
        std::fflush(stdout);
    }
    return sink == 42 ? 1 : 0; // keeps the work observable
}
