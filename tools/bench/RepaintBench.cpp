// A full repaint of a 1280 x 1024 grid window holding 100 000 funds, against the same
// window holding 50: what a screenful costs must not grow with the rows off screen.
#include "Bench.h"
#include "BenchGrid.h"

namespace {

Bench::FundGrid& gridOf(int funds)
{
    static Bench::FundGrid many(100000, 1280, 1024);
    static Bench::FundGrid few(50, 1280, 1024);
    return funds > 50 ? many : few;
}

size_t repaint(int funds, size_t iterations)
{
    HWND window = gridOf(funds).grid.GetHwnd();
    size_t sink = 0;
    for (size_t i = 0; i < iterations; ++i) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        sink += size_t(gridOf(funds).grid.GetTopRow());
    }
    return sink + 1;
}

} // namespace

BENCH_CASE(repaint,
           {"repaint", [](size_t n) { return repaint(100000, n); }, [](size_t n) { return repaint(50, n); }, 20});
