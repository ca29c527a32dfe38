// Calls per second of `lines_l_h` on the grid points of sixline's default
// mode-a table (lines -6.551 -4.2325 2.9495 5.834, splitting -0.1 to -6.1,
// eta 0.1 to 1.1), beside the plain single-precision C function of the same
// steps (lines_plain.h); and the part of a call that a scan pays at every
// grid point, `solve_at_eta`, its splitting worked out beforehand (a scan
// works it out once per splitting).  Points at which sixline prints a
// message are left out: their cost is the screen's, not the routine's.
#include <benchmark/benchmark.h>

#include <vector>

#include "hyperfine.h"

extern "C" {
#include "lines_plain.h"
}

namespace {

struct Point {
    float qas, eta;
};

// The mode-a lines as sixline reads them, and their mean.
constexpr float l1 = -0x1.a34396p+2f, l2 = -0x1.0ee148p+2f, l5 = 0x1.798938p+1f,
                l6 = 0x1.756044p+2f;
const float is = (l2 + l1 + l5 + l6) / 4.0f;

// The default grid's points of one kind: with a solution (`want` 1), or all
// that print nothing (`want` 0: solutions and silent exits).
std::vector<Point> grid(int want) {
    std::vector<Point> pts;
    const float beta = plain_beta();
    float qas = 0.0f;
    for (int i = 1; i <= 61; ++i) {
        qas = qas + -0.1f;
        for (int k = 1; k <= 11; ++k) {
            float eta = static_cast<float>(k) * 0.1f, h = 0, p = 0, t = 0;
            int r = plain_lines(beta, qas, eta, is, l1, l2, l6, &h, &p, &t);
            if (r == 1 || (want == 0 && r == 0)) pts.push_back({qas, eta});
        }
    }
    return pts;
}

// Keeps the optimiser from dropping a result nobody reads.
void keep(float& haeu, float& phi, float& teta, bool& exist) {
    benchmark::DoNotOptimize(haeu);
    benchmark::DoNotOptimize(phi);
    benchmark::DoNotOptimize(teta);
    benchmark::DoNotOptimize(exist);
}

void run_lines_l_h(benchmark::State& state, const std::vector<Point>& pts) {
    std::size_t n = 0;
    for (auto _ : state) {
        for (const Point& p : pts) {
            float haeu = 0, phi = 0, teta = 0;
            bool exist = false;
            zorb::lines_l_h(p.qas, p.eta, is, l1, l2, l6, 1, haeu, phi, teta, exist);
            keep(haeu, phi, teta, exist);
        }
        n += pts.size();
    }
    state.SetItemsProcessed(static_cast<int64_t>(n));
}

void run_solve_at_eta(benchmark::State& state, const std::vector<Point>& pts) {
    std::vector<zorb::Splitting> splits;
    for (const Point& p : pts) splits.push_back(zorb::splitting_terms(p.qas, is, l1, l2, l6));
    std::size_t n = 0;
    for (auto _ : state) {
        for (std::size_t i = 0; i < pts.size(); ++i) {
            float haeu = 0, phi = 0, teta = 0;
            bool exist = false;
            zorb::solve_at_eta(splits[i], pts[i].eta, 1, haeu, phi, teta, exist);
            keep(haeu, phi, teta, exist);
        }
        n += pts.size();
    }
    state.SetItemsProcessed(static_cast<int64_t>(n));
}

void run_plain(benchmark::State& state, const std::vector<Point>& pts) {
    const float beta = plain_beta();
    std::size_t n = 0;
    for (auto _ : state) {
        for (const Point& p : pts) {
            float haeu = 0, phi = 0, teta = 0;
            int r = plain_lines(beta, p.qas, p.eta, is, l1, l2, l6, &haeu, &phi, &teta);
            benchmark::DoNotOptimize(haeu);
            benchmark::DoNotOptimize(phi);
            benchmark::DoNotOptimize(teta);
            benchmark::DoNotOptimize(r);
        }
        n += pts.size();
    }
    state.SetItemsProcessed(static_cast<int64_t>(n));
}

void BM_lines_l_h_solutions(benchmark::State& s) { run_lines_l_h(s, grid(1)); }
void BM_solve_at_eta_solutions(benchmark::State& s) { run_solve_at_eta(s, grid(1)); }
void BM_plain_c_solutions(benchmark::State& s) { run_plain(s, grid(1)); }
void BM_lines_l_h_quiet_grid(benchmark::State& s) { run_lines_l_h(s, grid(0)); }
void BM_solve_at_eta_quiet_grid(benchmark::State& s) { run_solve_at_eta(s, grid(0)); }
void BM_plain_c_quiet_grid(benchmark::State& s) { run_plain(s, grid(0)); }

BENCHMARK(BM_lines_l_h_solutions);
BENCHMARK(BM_solve_at_eta_solutions);
BENCHMARK(BM_plain_c_solutions);
BENCHMARK(BM_lines_l_h_quiet_grid);
BENCHMARK(BM_solve_at_eta_quiet_grid);
BENCHMARK(BM_plain_c_quiet_grid);

}  // namespace

BENCHMARK_MAIN();
