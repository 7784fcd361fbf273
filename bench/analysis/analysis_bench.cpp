// TLPData::Calculate on a 13-layer project: time per run, and proof that a run allocates nothing.
//
// Every allocation of the process is counted (bench/common/countingnew.h); the check before the
// benchmarks and the "allocs/run" counter read the count around calls of Calculate only.
#include "model/lpclasses.h"
#include "project13.h"

#include "bench/common/countingnew.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

// One benchmark case: what is set on top of the 13-layer project. Cases for the structural
// checks add their own configuration here.
using Configure = void (*)(TLPData&);

void lateralAndVertical(TLPData&) { }

void fixedHeadCyclic(TLPData& d)
{
    d.HeadCondition = kFixedHead;
    d.CyclicAnalysis = true;
}

void runCalculate(benchmark::State& state, std::uint8_t units, Configure configure)
{
    TLPData d;
    benchproject::buildThirteenLayers(d, units);
    configure(d);
    d.Calculate();
    long long allocations = 0;
    for (auto _ : state) {
        const long long before = bench::allocationCount();
        d.Calculate();
        allocations += bench::allocationCount() - before;
        benchmark::DoNotOptimize(d.Nodes);
        benchmark::ClobberMemory();
    }
    state.counters["allocs/run"]
        = benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}

// Counts the allocations of a batch of runs outside the benchmark framework.
long long allocationsPerRun(std::uint8_t units, Configure configure)
{
    TLPData d;
    benchproject::buildThirteenLayers(d, units);
    configure(d);
    d.Calculate();
    constexpr int runs = 1000;
    const long long before = bench::allocationCount();
    for (int i = 0; i < runs; ++i)
        d.Calculate();
    return (bench::allocationCount() - before) / runs;
}

} // namespace

BENCHMARK_CAPTURE(runCalculate, us_free_head, kUnitsUS, &lateralAndVertical)
    ->Repetitions(15)
    ->DisplayAggregatesOnly(true);
BENCHMARK_CAPTURE(runCalculate, si_free_head, kUnitsSI, &lateralAndVertical)
    ->Repetitions(15)
    ->DisplayAggregatesOnly(true);
BENCHMARK_CAPTURE(runCalculate, us_fixed_head_cyclic, kUnitsUS, &fixedHeadCyclic)
    ->Repetitions(15)
    ->DisplayAggregatesOnly(true);

int main(int argc, char** argv)
{
    const long long us = allocationsPerRun(kUnitsUS, &lateralAndVertical);
    const long long si = allocationsPerRun(kUnitsSI, &lateralAndVertical);
    std::printf("heap allocations per Calculate (13 layers): US %lld, SI %lld\n", us, si);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return us == 0 && si == 0 ? 0 : 1;
}
