// Writes the two demo example projects that a new project starts from, with the program's own
// project-file writer: a square prestressed concrete pile driven through four layers of sand and
// clay, with its loads, in US customary and in SI units. The project information stays empty.
//
//   fendrix_demogen <output folder>
#include "model/fieldlimits.h"
#include "model/lpclasses.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

namespace {

struct DemoLayer {
    TMaterialType material;
    TUSCS uscs;
    TConsistency consistency;
    Extended thicknessUS, thicknessSI; // ft | m
    Extended cohesionUS, cohesionSI; // ksf | KPa
    Extended kp;
    Extended gammaUS, gammaSI; // pcf | KN/m^3
    Extended sptN;
};

constexpr DemoLayer kLayers[4] = {
    { lpmtGranularSoil, lpusSM, lpconLoose, 6, 2, 0, 0, 3.0L, 110, 17.5L, 8 },
    { lpmtCohesiveSoil, lpusCL, lpconStiff, 10, 3, 1.2L, 60, 1.0L, 120, 19, 12 },
    { lpmtGranularSoil, lpusSP, lpconMediumDense, 14, 4, 0, 0, 3.3L, 120, 19, 22 },
    { lpmtGranularSoil, lpusSW, lpconDense, 30, 9, 0, 0, 3.7L, 125, 20, 40 },
};

void buildDemo(TLPData& d, std::uint8_t units)
{
    const bool si = units == kUnitsSI;
    const auto pick = [si](Extended us, Extended metric) { return si ? metric : us; };
    d.Reset(true);
    d.SetUnits(units);
    d.ProjectDate = 45658; // 1 Jan 2025; replaced by today's date when a new project starts
    d.HeadCondition = kFreeHead;

    // An 18 in (450 mm) square prestressed concrete pile, driven.
    d.PileLength = pick(40, 12);
    d.Shape = psSquare;
    d.Width = pick(1.5L, 0.45L);
    d.Width2 = d.Width;
    d.Fc = pick(5000, 35);
    d.MaterialName = "Prestressed Concrete";
    d.EFromFc = true;
    d.CalcAreaAndPerimeter();
    d.TipArea = d.Width * d.Width;
    // ACI 318: Ec = 57000 sqrt(f'c) psi, or 4700 sqrt(f'c) MPa.
    d.E = si ? 4700 * std::sqrt(d.Fc) : 57 * std::sqrt(d.Fc);
    const Extended side = si ? d.Width : d.Width * 12; // m | in
    d.I = side * side * side * side / 12;
    d.Interface = piRoughConcrete;
    d.PileType = ptLargeDisplacement;

    // Service loads at the head.
    d.LateralLoad = pick(15, 67);
    d.MomentLoad = pick(25, 34);
    d.DownwardLoad = pick(150, 670);
    d.UpliftLoad = pick(40, 180);
    d.PassiveWedge = 2.5L;
    d.AllowableDeflection = pick(0.5L, 12);

    d.FSSide = 2.0L;
    d.FSEnd = 3.0L;
    d.OCR = 1.0L;
    d.SuSigmaV = 0.3L;
    d.Groundwater = pick(8, 2.5L);
    d.DesignLife = 75;
    d.ConstructionControl = 1;
    d.StaticAnalysis = true;
    d.CyclicAnalysis = false;

    // Structural design: eight bars with ties, two load cases.
    d.StructuralDesign = true;
    d.RebarStandard = si ? rsEuropean : rsUS;
    d.LoadRebarTable();
    d.BarSize = si ? 20 : 7;
    d.BarCount = 8;
    d.TieType = kTieTypeTie;
    d.TieBarSize = si ? 10 : 3;
    d.Fy = pick(60, 420);
    d.Es = pick(29000, 200000);
    d.Cover = pick(3, 75);
    d.SpacingOverride = pick(6, 150);
    d.LoadCaseCount = 2;
    // Case 1 is set from the analysis once the layers stand (below).
    d.LoadCases[1] = { pick(100, 445), pick(60, 81), pick(20, 89), 0 };

    // Inputs of the steel and timber checks, used when the pile is switched to those materials.
    d.ShapeFamily = 0;
    d.MemberType = 0;
    d.SectionIndex = 0;
    d.IShape = d.GetIShapes().front();
    d.PipeShape = d.GetPipeShapes().front();
    d.SteelInput = { pick(150, 670), pick(40, 54), 0, pick(50, 345), 1, 1, pick(10, 3), pick(10, 3),
        pick(10, 3), 1, 0.85L, pick(4, 28), false };
    d.TimberInput = { 1.0L, pick(2400, 16.5L), pick(110, 0.76L), pick(1200, 8.3L), 0 };

    // The layers as the main window keeps them: each layer's subgrade reaction starts where the
    // one above ends and rises to its own soil's default, and the last layer ends at the tip.
    d.Layers.Clear();
    Extended depth = 0;
    Extended reactionAbove = 0;
    for (const DemoLayer& spec : kLayers) {
        TLayer* layer = d.Layers.AddLayer();
        layer->MatType = spec.material;
        layer->USCS = spec.uscs;
        layer->Consistency = spec.consistency;
        layer->Thickness = pick(spec.thicknessUS, spec.thicknessSI);
        if (&spec == &kLayers[std::size(kLayers) - 1])
            layer->Thickness = d.PileLength - depth;
        depth += layer->Thickness;
        layer->SGReactBottom = layer->DefaultSubgradeReaction();
        layer->SGReactTop = d.Layers.Count() == 1 ? layer->SGReactBottom : reactionAbove;
        reactionAbove = layer->SGReactBottom;
        layer->Cohesion = pick(spec.cohesionUS, spec.cohesionSI);
        layer->Kp = spec.kp;
        layer->FSonKp = 1.5L;
        layer->Gamma = pick(spec.gammaUS, spec.gammaSI);
        layer->SPTFieldN = spec.sptN;
    }

    // Load case 1 holds the factored values of the demo's own analysis as its inputs show them
    // (tags 66 and 67), so that a new project's case 1 follows its analysis.
    d.AnalysePile();
    const TLoadCase factored = d.factoredLoadCase();
    d.LoadCases[0] = { ShownFieldValue(66, factored.Pu, true), ShownFieldValue(67, factored.Mu, true),
        ShownFieldValue(66, factored.Vu, true), 0 };
}

// The file read back must give the project that was written.
bool sameProject(const TLPData& a, const TLPData& b)
{
    if (a.Layers.Count() != b.Layers.Count() || a.Units != b.Units || a.PileLength != b.PileLength
        || a.UpliftLoad != b.UpliftLoad || a.IShape.Name != b.IShape.Name)
        return false;
    for (int i = 0; i < a.Layers.Count(); ++i)
        if (a.Layers[i]->Thickness != b.Layers[i]->Thickness
            || a.Layers[i]->SGReactTop != b.Layers[i]->SGReactTop)
            return false;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fendrix_demogen <output folder>\n");
        return 2;
    }
    try {
        const std::filesystem::path folder(argv[1]);
        std::filesystem::create_directories(folder);
        const struct {
            std::uint8_t units;
            const char* name;
        } demos[]
            = { { kUnitsUS, "ENGLISH UNITS DEMO EXAMPLE.fdx" }, { kUnitsSI, "SI UNITS DEMO EXAMPLE.fdx" } };
        for (const auto& demo : demos) {
            const std::string file = (folder / demo.name).string();
            TLPData project;
            buildDemo(project, demo.units);
            project.SaveToFile(file);
            TLPData check;
            check.LoadFromFile(file);
            if (!sameProject(project, check)) {
                std::fprintf(stderr, "fendrix_demogen: %s does not read back as written\n", file.c_str());
                return 1;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fendrix_demogen: %s\n", e.what());
        return 1;
    }
    return 0;
}
