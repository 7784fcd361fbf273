// TLPData::Calculate on the 13-layer project with structural design on, once per pile material
// (steel I-shape, steel pipe empty and filled, reinforced concrete square and round, timber), and
// the three check entry points on their own: time per run, and proof that a run allocates nothing.
//
// Every allocation of the process is counted (bench/common/countingnew.h).
#include "bench/analysis/project13.h"
#include "model/lpclasses.h"

#include "bench/common/countingnew.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

using Configure = void (*)(TLPData&);

void selectSection(TLPData& d, const char* name)
{
    if (d.UsesIShape()) {
        const auto& table = d.GetIShapes();
        for (std::size_t i = 0; i < table.size(); ++i)
            if (table[i].Name == name)
                d.SelectSection(static_cast<int>(i));
    } else {
        const auto& table = d.GetPipeShapes();
        for (std::size_t i = 0; i < table.size(); ++i)
            if (table[i].Name == name)
                d.SelectSection(static_cast<int>(i));
    }
}

void steelCommon(TLPData& d)
{
    const bool si = d.Units == kUnitsSI;
    d.Interface = piRoughSteel;
    d.E = si ? 200000 : 29000;
    d.StructuralDesign = true;
    TSteelInput& in = d.SteelInput;
    in.P = si ? 450 : 100;
    in.Mx = si ? 110 : 80;
    in.My = si ? 14 : 10;
    in.Fy = si ? 345 : 50;
    in.Kx = in.Ky = 1;
    in.Lx = in.Ly = in.Lb = si ? 3 : 10;
    in.Cb = 1;
    in.Cmx = 0.85L;
    in.Fc = si ? 28 : 4;
}

void steelIShape(TLPData& d)
{
    steelCommon(d);
    d.Shape = psRectangle;
    selectSection(d, d.Units == kUnitsSI ? "W360X134" : "W14X90");
}

void steelPipe(TLPData& d)
{
    steelCommon(d);
    d.Shape = psCircle;
    selectSection(d, d.Units == kUnitsSI ? "HSS508X12.7" : "HSS20X.500");
}

void steelPipeFilled(TLPData& d)
{
    steelPipe(d);
    d.SteelInput.ConcreteFilled = true;
}

void concrete(TLPData& d, TPileShape shape, int tieType)
{
    const bool si = d.Units == kUnitsSI;
    d.Interface = piRoughConcrete;
    d.Shape = shape;
    d.StructuralDesign = true;
    d.Fc = si ? 28 : 4000;
    d.RebarStandard = rsUS;
    d.LoadRebarTable();
    d.BarSize = si ? 25 : 8;
    d.BarCount = 12;
    d.TieType = tieType;
    d.TieBarSize = si ? 13 : 4;
    d.Fy = si ? 420 : 60;
    d.Es = si ? 200000 : 29000;
    d.Cover = si ? 75 : 3;
    d.SpacingOverride = 0;
    d.LoadCaseCount = 4;
    const Extended kip = si ? 4.448L : 1, kipft = si ? 1.356L : 1;
    const Extended pu[4] = { 150, 400, -60, 700 };
    for (int i = 0; i < 4; ++i) {
        d.LoadCases[i].Pu = pu[i] * kip;
        d.LoadCases[i].Mu = 120 * kipft;
        d.LoadCases[i].Vu = 15 * kip;
    }
}

void concreteSquareTies(TLPData& d)
{
    concrete(d, psSquare, kTieTypeTie);
}
void concreteRoundSpiral(TLPData& d)
{
    concrete(d, psCircle, kTieTypeSpiral);
}

void timber(TLPData& d)
{
    const bool si = d.Units == kUnitsSI;
    d.Interface = piTimber;
    d.Shape = psCircle;
    d.E = si ? 11000 : 1500;
    d.StructuralDesign = true;
    d.DownwardLoad = si ? 180 : 40;
    d.TimberInput.CD = 1.0L;
    d.TimberInput.Fb = si ? 16.5L : 2400;
    d.TimberInput.Fv = si ? 0.76L : 110;
    d.TimberInput.Fc = si ? 8.3L : 1200;
    d.TimberInput.Treatment = 3;
}

void prepare(TLPData& d, std::uint8_t units, Configure configure)
{
    benchproject::buildThirteenLayers(d, units);
    configure(d);
    d.Calculate();
}

void runCalculate(benchmark::State& state, std::uint8_t units, Configure configure)
{
    TLPData d;
    prepare(d, units, configure);
    long long allocations = 0;
    for (auto _ : state) {
        const long long before = bench::allocationCount();
        d.Calculate();
        allocations += bench::allocationCount() - before;
        benchmark::DoNotOptimize(d.CombinedRatio);
        benchmark::ClobberMemory();
    }
    state.counters["allocs/run"]
        = benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}

// The check alone, on the node results of one full run.
template <void (TLPData::*Check)()>
void runCheck(benchmark::State& state, std::uint8_t units, Configure configure)
{
    TLPData d;
    prepare(d, units, configure);
    for (auto _ : state) {
        (d.*Check)();
        benchmark::DoNotOptimize(d.CombinedRatio);
        benchmark::ClobberMemory();
    }
}

struct Case {
    const char* name;
    std::uint8_t units;
    Configure configure;
};

const Case kCases[] = {
    { "us_steel_ishape", kUnitsUS, &steelIShape },
    { "si_steel_ishape", kUnitsSI, &steelIShape },
    { "us_steel_pipe", kUnitsUS, &steelPipe },
    { "us_steel_pipe_filled", kUnitsUS, &steelPipeFilled },
    { "us_concrete_square_ties", kUnitsUS, &concreteSquareTies },
    { "si_concrete_square_ties", kUnitsSI, &concreteSquareTies },
    { "us_concrete_round_spiral", kUnitsUS, &concreteRoundSpiral },
    { "si_concrete_round_spiral", kUnitsSI, &concreteRoundSpiral },
    { "us_timber", kUnitsUS, &timber },
    { "si_timber", kUnitsSI, &timber },
};

// Allocations of a batch of runs outside the benchmark framework; also checks that the case
// really ran its check (a result of the check changed from a marker).
long long allocationsPerRun(const Case& c, bool& ran)
{
    TLPData d;
    prepare(d, c.units, c.configure);
    d.CombinedRatio = -12345;
    d.Calculate();
    ran = d.CombinedRatio != -12345;
    constexpr int runs = 1000;
    const long long before = bench::allocationCount();
    for (int i = 0; i < runs; ++i)
        d.Calculate();
    return (bench::allocationCount() - before) / runs;
}

} // namespace

int main(int argc, char** argv)
{
    bool ok = true;
    for (const Case& c : kCases) {
        bool ran = false;
        const long long n = allocationsPerRun(c, ran);
        std::printf(
            "%-26s heap allocations per Calculate: %lld%s\n", c.name, n, ran ? "" : "  (check did not run!)");
        ok = ok && n == 0 && ran;
    }
    for (const Case& c : kCases) {
        benchmark::RegisterBenchmark(
            (std::string("Calculate/") + c.name).c_str(), runCalculate, c.units, c.configure)
            ->Repetitions(15)
            ->DisplayAggregatesOnly(true);
    }
    benchmark::RegisterBenchmark(
        "CheckSteelPile/us_ishape", runCheck<&TLPData::CheckSteelPile>, kUnitsUS, &steelIShape);
    benchmark::RegisterBenchmark("CalcReinforcedConcrete/us_square",
        runCheck<&TLPData::CalcReinforcedConcrete>, kUnitsUS, &concreteSquareTies);
    benchmark::RegisterBenchmark("CalcReinforcedConcrete/us_round",
        runCheck<&TLPData::CalcReinforcedConcrete>, kUnitsUS, &concreteRoundSpiral);
    benchmark::RegisterBenchmark(
        "CheckTimberPile/us_round", runCheck<&TLPData::CheckTimberPile>, kUnitsUS, &timber);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return ok ? 0 : 1;
}
