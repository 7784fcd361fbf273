#pragma once
// Projects for the analysis tests. Every input the analysis reads is set here or in the test, so
// no default of the model can slip into an expectation. The structural tests take their steel
// sections from here too.
#include "model/lpclasses.h"
#include "model/tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace testproject {

// A square concrete pile with no loads and plain factors, and no layers yet.
inline void setUp(TLPData& d, std::uint8_t units)
{
    d.SetUnits(units);
    d.Layers.Clear();
    d.HeadCondition = kFreeHead;
    d.PileLength = units == kUnitsSI ? 10 : 30;
    d.Width = units == kUnitsSI ? 0.5L : 1.5L;
    d.Width2 = d.Width;
    d.Shape = psSquare;
    d.Interface = piRoughConcrete;
    d.E = units == kUnitsSI ? 25000 : 3600;
    d.LateralLoad = units == kUnitsSI ? 50 : 10;
    d.MomentLoad = 0;
    d.PassiveWedge = 2.5L;
    d.Perimeter = 4 * d.Width;
    d.TipArea = d.Width * d.Width;
    d.FSSide = 2;
    d.FSEnd = 3;
    d.OCR = 1;
    d.Groundwater = 1000;
    d.CyclicAnalysis = false;
    d.StaticAnalysis = true;
    d.StructuralDesign = false;
}

// Appends a granular layer with a constant subgrade reaction.
inline TLayer* addLayer(TLPData& d, Extended thickness, Extended subgrade = 100)
{
    TLayer* layer = d.Layers.AddLayer();
    layer->MatType = lpmtGranularSoil;
    layer->USCS = lpusSP;
    layer->Consistency = lpconMediumDense;
    layer->Thickness = thickness;
    layer->SGReactTop = subgrade;
    layer->SGReactBottom = subgrade;
    layer->Cohesion = 0;
    layer->Kp = 3;
    layer->FSonKp = 1.5L;
    layer->Gamma = d.Units == kUnitsSI ? 18 : 115;
    layer->SPTFieldN = 10;
    layer->NSF = false;
    layer->UsePileDefaults = true;
    return layer;
}

// A section of the first family's table by its name; a name the table lacks fails the test.
template <typename Shape>
Shape sectionNamed(void (*load)(TShapeFamily, bool, std::vector<Shape>&), const std::string& name, bool si)
{
    std::vector<Shape> table;
    load(0, si, table);
    for (const Shape& s : table)
        if (s.Name == name)
            return s;
    ADD_FAILURE() << "no section " << name;
    return {};
}

inline TIShape iShape(const std::string& name, bool si = false)
{
    return sectionNamed(LoadIShapes, name, si);
}

inline TPipeShape pipeShape(const std::string& name, bool si = false)
{
    return sectionNamed(LoadPipeShapes, name, si);
}

inline Extended depth(const TLPData& d, int k)
{
    return d.Node(k).Depth;
}

// Every numeric result of a node, so that tests can ask "is anything infinite?".
template <typename F> void forEachResult(const TNodeResult& n, F f)
{
    for (Extended v : { n.KB, n.K, n.E, n.I, n.Lambda, n.Depth, n.SinLZ, n.CosLZ, n.ExpLZ, n.Shear, n.Moment,
             n.Deflection, n.SoilPressure, n.AllowSoilPressure, n.SigmaV, n.GammaW, n.PorePressure,
             n.SigmaVEff, n.Phi, n.K0, n.NSF, n.UltSide, n.UltEnd, n.UltTotal, n.AllowSide, n.AllowEnd,
             n.AllowTotal, n.EffMovement, n.TanPhi, n.QSideUlt, n.QSideAllow, n.QEndUlt, n.QEndAllow,
             n.Capacity, n.Settlement, n.EffSideUlt, n.EffEndUlt, n.EffTotalUlt, n.EffSideAllow,
             n.EffEndAllow, n.EffTotalAllow, n.PileLoad, n.EffPileLoad })
        f(v);
}

inline bool anyInfinite(const TLPData& d)
{
    bool found = false;
    for (const TNodeResult& n : d.Nodes)
        forEachResult(n, [&](Extended v) { found = found || std::isinf(v); });
    for (Extended v : { d.TotalNSF, d.DownwardCapacity, d.EffDownwardCapacity, d.UpliftCapacity, d.I })
        found = found || std::isinf(v);
    return found;
}

} // namespace testproject
