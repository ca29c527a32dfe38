// The work of one select run for 2, 4 and 8 selected energies (aluminium):
// the minimisation alone, with the evaluations of the figure of merit it
// makes ("func_evals", the two of the FUNC= line and the start included),
// and the whole program through a pipe (dialogue, minimisation, output).
//
//   build/bench_select --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// Starts: the default start thicknesses times 10 (0.05 i mm), answered as
// "10, then 1"; for 8 energies the unscaled start is singular along every
// free thickness, so the scaled one is the meaningful run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "coeff.h"
#include "powell.h"
#include "thick.h"

namespace {

using namespace zorb;

// The figure of merit, counting its evaluations in the long its context points to.
float counted_func(const float* x, int n, void* evaluations) {
    ++*static_cast<long*>(evaluations);
    return func(x, n);
}

const std::vector<std::vector<int>> selections = {{4, 1}, {1, 2, 3, 4}, {1, 2, 3, 4, 5, 6, 7, 8}};

const std::vector<int>& choose(int n) {
    const std::vector<int>& s = n == 2 ? selections[0] : n == 4 ? selections[1] : selections[2];
    coeff.ip = 0;
    for (int i = 1; i <= 8; ++i) coeff.lk(i) = i <= n ? s[static_cast<std::size_t>(i - 1)] : 0;
    return s;
}

void BM_minimisation(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int ndim = n - 1;
    choose(n);
    long per_run = 0;
    int iter = 0;
    for (auto _ : state) {
        std::vector<float> p(static_cast<std::size_t>(ndim));
        for (int i = 0; i < ndim; ++i) p[i] = 0.05f * static_cast<float>(i + 1);
        Square<float> xi(ndim);
        for (int i = 1; i <= ndim; ++i) xi(i, i) = 1.0f;
        long evaluations = 0;
        benchmark::DoNotOptimize(counted_func(p.data(), ndim, &evaluations));  // the FUNC= line
        float fret = counted_func(p.data(), ndim, &evaluations);
        powell(p.data(), xi, ndim, ndim, 1.0e-6f, iter, fret, counted_func, &evaluations);
        benchmark::DoNotOptimize(fret);
        per_run = evaluations;
    }
    state.counters["func_evals"] = static_cast<double>(per_run);
    state.counters["iterations"] = iter;
}
BENCHMARK(BM_minimisation)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

// The program built beside this benchmark.
std::string select_program() {
    char buf[PATH_MAX];
    ssize_t len = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string self(buf, len > 0 ? static_cast<std::size_t>(len) : 0);
    return self.substr(0, self.rfind('/') + 1) + "select";
}

void BM_whole_program(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::string energies;
    for (int k : choose(n)) energies += std::to_string(k) + " ";
    // Material: Return; the energies and their confirmation; factor 10
    // (the default), then 1 and its confirmation.
    const std::string input = "\n" + energies + "\n\n\n1\n\n";
    const std::string command = select_program() + " >/dev/null";
    for (auto _ : state) {
        FILE* p = ::popen(command.c_str(), "w");
        if (p == nullptr) {
            state.SkipWithError("cannot start select");
            return;
        }
        std::fwrite(input.data(), 1, input.size(), p);
        if (::pclose(p) != 0) {
            state.SkipWithError("select failed");
            return;
        }
    }
}
BENCHMARK(BM_whole_program)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
