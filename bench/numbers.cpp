// Cost of reading a typical answer line and of writing one value for the
// value prompts.
#include <benchmark/benchmark.h>

#include "numfmt.h"
#include "numread.h"

namespace {

using namespace zorb;

void BM_trlch_line(benchmark::State& state) {
    const Text132 line("-6.551 -4.2325  2.9495   5.834");
    int iout = 0;
    NumberList out;
    for (auto _ : state) {
        trlch(80, line, iout, out);
        benchmark::DoNotOptimize(out);
        benchmark::DoNotOptimize(iout);
    }
}
BENCHMARK(BM_trlch_line);

void BM_trlnu_f10_3(benchmark::State& state) {
    const float values[2] = {2.5f, 382.76f};
    int k = 0;
    Text24 chr, chl;
    int nn = 0, im = 0;
    for (auto _ : state) {
        Text7 form("f10.3");
        trlnu(form, values[k], chr, nn, chl, im);
        k ^= 1;
        benchmark::DoNotOptimize(chl);
        benchmark::DoNotOptimize(chr);
    }
}
BENCHMARK(BM_trlnu_f10_3);

}  // namespace

BENCHMARK_MAIN();
