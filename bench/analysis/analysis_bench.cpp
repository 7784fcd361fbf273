// TLPData::Calculate on a 13-layer project: time per run, and proof that a run allocates nothing.
//
// Every allocation of the process goes through the counting operator new below; the check before
// the benchmarks and the "allocs/run" counter read the count around calls of Calculate only.
#include "model/lpclasses.h"
#include "project13.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long long> g_allocations { 0 };
}

void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

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
        const long long before = g_allocations.load(std::memory_order_relaxed);
        d.Calculate();
        allocations += g_allocations.load(std::memory_order_relaxed) - before;
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
    const long long before = g_allocations.load();
    for (int i = 0; i < runs; ++i)
        d.Calculate();
    return (g_allocations.load() - before) / runs;
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
