#pragma once
// A full project for the analysis benchmarks: 13 layers (the most the main window keeps) of
// sand, clay and rock with a water table, negative skin friction near the top and a layer with a
// pile of its own, so that every branch of the analysis is exercised.
#include "model/lpclasses.h"

namespace benchproject {

inline void buildThirteenLayers(TLPData& d, std::uint8_t units)
{
    const bool si = units == kUnitsSI;
    const Extended len = si ? 0.3048L : 1; // lengths below are in feet
    d.SetUnits(units);
    d.Layers.Clear();
    d.HeadCondition = kFreeHead;
    d.PileLength = 60 * len;
    d.Width = d.Width2 = 1.5L * len;
    d.Shape = psSquare;
    d.Interface = piRoughConcrete;
    d.E = si ? 24800 : 3600;
    d.LateralLoad = si ? 90 : 20;
    d.MomentLoad = si ? 70 : 50;
    d.PassiveWedge = 2.5L;
    d.Perimeter = 4 * d.Width;
    d.TipArea = d.Width * d.Width;
    d.FSSide = 2;
    d.FSEnd = 3;
    d.OCR = 1.5L;
    d.Groundwater = 8 * len;
    d.CyclicAnalysis = false;
    d.StructuralDesign = false;

    struct Spec {
        TMaterialType material;
        TConsistency consistency;
        Extended thicknessFt, subgradeUS, n;
        bool nsf;
    };
    const Spec specs[13] = { { lpmtCohesiveSoil, lpconSoft, 3.2L, 40, 3, true },
        { lpmtCohesiveSoil, lpconFirm, 4.1L, 90, 6, true },
        { lpmtGranularSoil, lpconLoose, 3.7L, 80, 8, false },
        { lpmtGranularSoil, lpconMediumDense, 5.3L, 200, 18, false },
        { lpmtCohesiveSoil, lpconStiff, 2.9L, 130, 12, false },
        { lpmtGranularSoil, lpconDense, 4.4L, 300, 36, false },
        { lpmtCohesiveSoil, lpconVeryStiff, 6.0L, 200, 25, false },
        { lpmtGranularSoil, lpconMediumDense, 3.3L, 250, 22, false },
        { lpmtCohesiveSoil, lpconHard, 5.1L, 260, 40, false },
        { lpmtGranularSoil, lpconVeryDense, 4.6L, 450, 55, false },
        { lpmtSiltstoneBedrock, lpconDense, 3.9L, 360, 60, false },
        { lpmtSandstoneBedrock, lpconDense, 6.2L, 300, 70, false },
        { lpmtHardRockBedrock, lpconDense, 20.0L, 600, 90, false } };
    for (const Spec& s : specs) {
        TLayer* layer = d.Layers.AddLayer();
        layer->MatType = s.material;
        layer->Consistency = s.consistency;
        layer->Thickness = s.thicknessFt * len;
        layer->SGReactTop = si ? s.subgradeUS * 157.087L : s.subgradeUS;
        layer->SGReactBottom = layer->SGReactTop * 1.2L;
        layer->Cohesion = s.material == lpmtCohesiveSoil ? (si ? 50 : 1) : 0;
        layer->Kp = 3;
        layer->FSonKp = 1.5L;
        layer->Gamma = si ? 19 : 120;
        layer->SPTFieldN = s.n;
        layer->NSF = s.nsf;
    }
    // one layer carries a pile of its own
    TLayer* own = d.Layers[6];
    own->UsePileDefaults = false;
    own->OwnE = si ? 200000 : 29000;
    own->OwnI = si ? 0.0003L : 720;
    own->OwnWidth = d.Width;
    own->OwnPerimeter = d.Perimeter;
    own->OwnTipArea = d.TipArea * 0.5L;
}

} // namespace benchproject
