// The built-in engineering tables and the process-wide current copies.
#include "model/tables.h"

#include "model/sectiondata.h"

#include <cmath>
#include <limits>

namespace {

// ---- steel sections -------------------------------------------------------------------------

std::span<const sectiondata::TIShapeRow> iShapeRows(TShapeFamily family, bool si)
{
    switch (family) {
    case 2:
        return si ? sectiondata::IpeHeSI() : sectiondata::IpeHeUS();
    case 3:
        return si ? sectiondata::UbUcSI() : sectiondata::UbUcUS();
    default:
        return si ? sectiondata::WHpSI() : sectiondata::WHpUS();
    }
}

std::span<const sectiondata::TPipeShapeRow> pipeShapeRows(TShapeFamily family, bool si)
{
    if (family == 2)
        return si ? sectiondata::ChsSI() : sectiondata::ChsUS();
    return si ? sectiondata::HssPipeSI() : sectiondata::HssPipeUS();
}

TIShape toIShape(const sectiondata::TIShapeRow& row)
{
    const Extended* v = row.Values;
    return TIShape { row.Name, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11],
        v[12], v[13], v[14], v[15], v[16], v[17] };
}

TPipeShape toPipeShape(const sectiondata::TPipeShapeRow& row)
{
    const Extended* v = row.Values;
    return TPipeShape { row.Name, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10] };
}

std::vector<TIShape> g_currentIShapes;
std::vector<TPipeShape> g_currentPipeShapes;

// A value of a section record that only a number above zero can hold, and how it is called.
template <class Shape> struct PositiveValue {
    Extended Shape::*field;
    const char* name;
};

// The first of the values that is not above zero (NaN included).
template <class Shape, std::size_t N>
TSectionFault<Shape> firstNotPositive(const Shape& shape, const PositiveValue<Shape> (&values)[N])
{
    for (const PositiveValue<Shape>& v : values) {
        if (!(shape.*v.field > 0))
            return { std::string(v.name) + " must be greater than 0", v.field };
    }
    return {};
}

// ---- reinforcing bars -----------------------------------------------------------------------

constexpr TRebarTable kRebarsUS = { {
    { 3, 10, 0.375, 0.11 },
    { 4, 13, 0.5, 0.2 },
    { 5, 16, 0.625, 0.31 },
    { 6, 19, 0.75, 0.44 },
    { 7, 22, 0.875, 0.6 },
    { 8, 25, 1, 0.79 },
    { 9, 29, 1.128, 1 },
    { 10, 32, 1.27, 1.27 },
    { 11, 36, 1.41, 1.56 },
    { 14, 43, 1.693, 2.25 },
    { 18, 57, 2.257, 4 },
    { 0, 0, 0, 0 },
} };

constexpr TRebarTable kRebarsEuropean = { {
    { 6, 0, 6, 28.3 },
    { 8, 0, 8, 50.3 },
    { 10, 0, 10, 78.5 },
    { 12, 0, 12, 113 },
    { 14, 0, 14, 154 },
    { 16, 0, 16, 201 },
    { 20, 0, 20, 314 },
    { 25, 0, 25, 491 },
    { 28, 0, 28, 616 },
    { 32, 0, 32, 804 },
    { 40, 0, 40, 1257 },
    { 50, 0, 50, 1963 },
} };

constexpr TRebarTable kRebarsCanadian = { {
    { 10, 0, 11.3, 100 },
    { 15, 0, 16, 200 },
    { 20, 0, 19.5, 300 },
    { 25, 0, 25.2, 500 },
    { 30, 0, 29.9, 700 },
    { 35, 0, 35.7, 1000 },
    { 45, 0, 43.7, 1500 },
    { 55, 0, 56.4, 2500 },
    { 0, 0, 0, 0 },
    { 0, 0, 0, 0 },
    { 0, 0, 0, 0 },
    { 0, 0, 0, 0 },
} };

TRebarTable g_currentRebars = kRebarsUS;

// ---- soil defaults --------------------------------------------------------------------------

struct SoilRow {
    TMaterialType mat;
    TUSCS uscs;
    TConsistency con;
    Extended us; // kcf
    Extended si; // KN/m^3
};

constexpr SoilRow kSoilRows[kSoilDefaultRows] = {
    { lpmtGranularSoil, lpusGwGpGc, lpconVeryLoose, 50, 8800 },
    { lpmtGranularSoil, lpusGwGpGc, lpconLoose, 80, 12580 },
    { lpmtGranularSoil, lpusGwGpGc, lpconMediumDense, 250, 39280 },
    { lpmtGranularSoil, lpusGwGpGc, lpconDense, 400, 62840 },
    { lpmtGranularSoil, lpusGwGpGc, lpconVeryDense, 600, 91000 },
    { lpmtGranularSoil, lpusSW, lpconVeryLoose, 90, 14300 },
    { lpmtGranularSoil, lpusSW, lpconLoose, 130, 20420 },
    { lpmtGranularSoil, lpusSW, lpconMediumDense, 300, 47120 },
    { lpmtGranularSoil, lpusSW, lpconDense, 450, 70680 },
    { lpmtGranularSoil, lpusSW, lpconVeryDense, 640, 102000 },
    { lpmtGranularSoil, lpusSP, lpconVeryLoose, 50, 8800 },
    { lpmtGranularSoil, lpusSP, lpconLoose, 80, 12560 },
    { lpmtGranularSoil, lpusSP, lpconMediumDense, 200, 31420 },
    { lpmtGranularSoil, lpusSP, lpconDense, 300, 47120 },
    { lpmtGranularSoil, lpusSP, lpconVeryDense, 450, 68000 },
    { lpmtGranularSoil, lpusSC, lpconVeryLoose, 80, 12000 },
    { lpmtGranularSoil, lpusSC, lpconLoose, 110, 17280 },
    { lpmtGranularSoil, lpusSC, lpconMediumDense, 280, 43980 },
    { lpmtGranularSoil, lpusSC, lpconDense, 425, 66760 },
    { lpmtGranularSoil, lpusSC, lpconVeryDense, 600, 97000 },
    { lpmtGranularSoil, lpusSM, lpconVeryLoose, 70, 11000 },
    { lpmtGranularSoil, lpusSM, lpconLoose, 100, 15700 },
    { lpmtGranularSoil, lpusSM, lpconMediumDense, 275, 43200 },
    { lpmtGranularSoil, lpusSM, lpconDense, 400, 62840 },
    { lpmtGranularSoil, lpusSM, lpconVeryDense, 600, 91000 },
    { lpmtCohesiveSoil, lpusML, lpconVerySoft, 30, 4400 },
    { lpmtCohesiveSoil, lpusML, lpconSoft, 40, 6280 },
    { lpmtCohesiveSoil, lpusML, lpconFirm, 75, 11780 },
    { lpmtCohesiveSoil, lpusML, lpconStiff, 110, 17280 },
    { lpmtCohesiveSoil, lpusML, lpconVeryStiff, 160, 25140 },
    { lpmtCohesiveSoil, lpusML, lpconHard, 200, 32700 },
    { lpmtCohesiveSoil, lpusML, lpconVeryHard, 260, 42500 },
    { lpmtCohesiveSoil, lpusCL, lpconVerySoft, 35, 5500 },
    { lpmtCohesiveSoil, lpusCL, lpconSoft, 50, 7860 },
    { lpmtCohesiveSoil, lpusCL, lpconFirm, 90, 14140 },
    { lpmtCohesiveSoil, lpusCL, lpconStiff, 130, 20420 },
    { lpmtCohesiveSoil, lpusCL, lpconVeryStiff, 200, 31420 },
    { lpmtCohesiveSoil, lpusCL, lpconHard, 260, 41000 },
    { lpmtCohesiveSoil, lpusCL, lpconVeryHard, 340, 53000 },
    { lpmtCohesiveSoil, lpusCH, lpconVerySoft, 35, 6600 },
    { lpmtCohesiveSoil, lpusCH, lpconSoft, 60, 9420 },
    { lpmtCohesiveSoil, lpusCH, lpconFirm, 120, 18860 },
    { lpmtCohesiveSoil, lpusCH, lpconStiff, 170, 26700 },
    { lpmtCohesiveSoil, lpusCH, lpconVeryStiff, 250, 39280 },
    { lpmtCohesiveSoil, lpusCH, lpconHard, 320, 51000 },
    { lpmtCohesiveSoil, lpusCH, lpconVeryHard, 420, 66300 },
    { lpmtCohesiveSoil, lpusMH, lpconVerySoft, 35, 6600 },
    { lpmtCohesiveSoil, lpusMH, lpconSoft, 50, 7860 },
    { lpmtCohesiveSoil, lpusMH, lpconFirm, 90, 14140 },
    { lpmtCohesiveSoil, lpusMH, lpconStiff, 140, 22000 },
    { lpmtCohesiveSoil, lpusMH, lpconVeryStiff, 180, 28280 },
    { lpmtCohesiveSoil, lpusMH, lpconHard, 230, 37000 },
    { lpmtCohesiveSoil, lpusMH, lpconVeryHard, 300, 48000 },
    { lpmtSandstoneBedrock, lpusBedrock1, lpconDense, 300, 47120 },
    { lpmtSiltstoneBedrock, lpusBedrock2, lpconDense, 360, 56560 },
    { lpmtSoftRockBedrock, lpusBedrock3, lpconDense, 450, 70680 },
    { lpmtHardRockBedrock, lpusBedrock4, lpconDense, 600, 94260 },
    { lpmtLimeStoneBedrock, lpusBedrock5, lpconDense, 400, 62840 },
};

TSoilDefaultTable makeSoilTable(bool si)
{
    TSoilDefaultTable table {};
    for (int i = 0; i < kSoilDefaultRows; ++i) {
        const SoilRow& r = kSoilRows[i];
        table[i] = TSoilDefault { r.mat, r.uscs, r.con, si ? r.si : r.us };
    }
    return table;
}

const TSoilDefaultTable kSoilDefaultsUS = makeSoilTable(false);
const TSoilDefaultTable kSoilDefaultsSI = makeSoilTable(true);
TSoilDefaultTable g_currentSoilDefaults = kSoilDefaultsUS;

// ---- factors of safety, Nq, consistency, adhesion --------------------------------------------

constexpr int kFsLifeFrom[3] = { 0, 25, 100 };
constexpr Extended kFsTable[3][kConstructionControlCount] = {
    { 1.4L, 2.0L, 2.3L, 2.8L },
    { 2.0L, 2.5L, 2.8L, 3.4L },
    { 2.3L, 3.0L, 3.5L, 4.0L },
};

constexpr Extended kNq[kNqLastAngle - kNqFirstAngle + 1] = { 18, 19.5L, 21.5L, 25, 28, 32.5L, 35, 41, 51, 62,
    73, 83, 105, 120, 170, 195, 215, 250, 300, 390, 490 };

constexpr TConsistencyProps kConsistencyProps[kConsistencyCount] = {
    { 0, 0, 0 }, // none
    { 0.3L, 80, 4 }, // Very Loose
    { 0.28L, 165, 8 }, // Loose
    { 0.25L, 333, 16 }, // Medium Dense
    { 0.23L, 500, 24 }, // Dense
    { 0.2L, 660, 32 }, // Very Dense
    { 0.42L, 40, 2 }, // Very Soft
    { 0.4L, 80, 4 }, // Soft
    { 0.38L, 165, 8 }, // Firm
    { 0.36L, 310, 15 }, // Stiff
    { 0.34L, 415, 20 }, // Very Stiff
    { 0.32L, 520, 25 }, // Hard
    { 0.3L, 580, 28 }, // Very Hard
};

constexpr TCohesionDefault kCohesion[9] = {
    { 1.0L, 200, 10 }, // Very Soft
    { 1.0L, 350, 17 }, // Soft
    { 1.0L, 700, 34 }, // Firm
    { 1.0L, 1200, 57 }, // Stiff
    { 0.8L, 2000, 96 }, // Very Stiff
    { 0.55L, 3500, 168 }, // Hard
    { 0.45L, 4500, 215 }, // Very Hard
    { 0.4L, 5000, 240 }, // siltstone bedrock
    { 0.35L, 6000, 290 }, // every other material
};

constexpr TCohesionDefault kNoCohesion = { 0, 0, 0 };

} // namespace

void LoadIShapes(TShapeFamily family, bool si, std::vector<TIShape>& table)
{
    const auto rows = iShapeRows(family, si);
    table.clear();
    table.reserve(rows.size());
    for (const auto& row : rows)
        table.push_back(toIShape(row));
}

void LoadPipeShapes(TShapeFamily family, bool si, std::vector<TPipeShape>& table)
{
    const auto rows = pipeShapeRows(family, si);
    table.clear();
    table.reserve(rows.size());
    for (const auto& row : rows)
        table.push_back(toPipeShape(row));
}

std::size_t IShapeCount(TShapeFamily family)
{
    return iShapeRows(family, false).size();
}
std::size_t PipeShapeCount(TShapeFamily family)
{
    return pipeShapeRows(family, false).size();
}

const std::vector<TIShape>& CurrentIShapes()
{
    return g_currentIShapes;
}
const std::vector<TPipeShape>& CurrentPipeShapes()
{
    return g_currentPipeShapes;
}

void SetCurrentSectionTables(TShapeFamily family, bool si)
{
    LoadIShapes(family, si, g_currentIShapes);
    LoadPipeShapes(family, si, g_currentPipeShapes);
}

void ClearCurrentSectionTables()
{
    g_currentIShapes.clear();
    g_currentPipeShapes.clear();
}

TSectionFault<TIShape> SectionFault(const TIShape& shape)
{
    static constexpr PositiveValue<TIShape> kPositive[] = {
        { &TIShape::A, "The area A" },
        { &TIShape::d, "The depth d" },
        { &TIShape::bf, "The flange width bf" },
        { &TIShape::tw, "The web thickness tw" },
        { &TIShape::tf, "The flange thickness tf" },
        { &TIShape::Ix, "The moment of inertia Ix" },
        { &TIShape::Zx, "The plastic modulus Zx" },
        { &TIShape::Sx, "The elastic modulus Sx" },
        { &TIShape::rx, "The radius of gyration rx" },
        { &TIShape::Iy, "The moment of inertia Iy" },
        { &TIShape::Zy, "The plastic modulus Zy" },
        { &TIShape::Sy, "The elastic modulus Sy" },
        { &TIShape::ry, "The radius of gyration ry" },
        { &TIShape::J, "The torsional constant J" },
        { &TIShape::rts, "The effective radius of gyration r_ts" },
        { &TIShape::ho, "The distance between the flange centroids h0" },
    };
    if (TSectionFault<TIShape> fault = firstNotPositive(shape, kPositive))
        return fault;
    if (shape.tw >= shape.bf)
        return { "The web thickness tw must be less than the flange width bf", &TIShape::tw };
    // The web between the flanges must have a depth.
    if (2 * shape.tf >= shape.d)
        return { "The flange thickness tf must be less than half the depth d", &TIShape::tf };
    return {};
}

TSectionFault<TPipeShape> SectionFault(const TPipeShape& shape)
{
    static constexpr PositiveValue<TPipeShape> kPositive[] = {
        { &TPipeShape::A, "The area A" },
        { &TPipeShape::OD, "The outside diameter OD" },
        { &TPipeShape::tdes, "The wall thickness t" },
        { &TPipeShape::Dt, "The ratio D/t" },
        { &TPipeShape::I, "The moment of inertia I" },
        { &TPipeShape::Z, "The plastic modulus Z" },
        { &TPipeShape::S, "The elastic modulus S" },
        { &TPipeShape::r, "The radius of gyration r" },
    };
    if (TSectionFault<TPipeShape> fault = firstNotPositive(shape, kPositive))
        return fault;
    // The bore the fill takes must be there.
    if (2 * shape.tdes >= shape.OD)
        return { "The wall thickness t must be less than half the outside diameter OD", &TPipeShape::tdes };
    return {};
}

const TRebarTable& RebarTableUS()
{
    return kRebarsUS;
}
const TRebarTable& RebarTableEuropean()
{
    return kRebarsEuropean;
}
const TRebarTable& RebarTableCanadian()
{
    return kRebarsCanadian;
}

const TRebarTable& RebarTableOf(std::int32_t standard)
{
    if (standard == rsUS)
        return kRebarsUS;
    if (standard == rsEuropean)
        return kRebarsEuropean;
    return kRebarsCanadian;
}

const TRebarTable& CurrentRebars()
{
    return g_currentRebars;
}
void SetCurrentRebars(const TRebarTable& table)
{
    g_currentRebars = table;
}

const TSoilDefaultTable& SoilDefaultsUS()
{
    return kSoilDefaultsUS;
}
const TSoilDefaultTable& SoilDefaultsSI()
{
    return kSoilDefaultsSI;
}
const TSoilDefaultTable& CurrentSoilDefaults()
{
    return g_currentSoilDefaults;
}
void SetCurrentSoilDefaults(bool si)
{
    g_currentSoilDefaults = si ? kSoilDefaultsSI : kSoilDefaultsUS;
}

Extended FactorOfSafetyFor(int designLife, int constructionControl)
{
    if (constructionControl < 0 || constructionControl >= kConstructionControlCount)
        return std::numeric_limits<Extended>::quiet_NaN();
    int row = 0;
    for (int i = 0; i < 3; ++i)
        if (kFsLifeFrom[i] <= designLife)
            row = i;
    return kFsTable[row][constructionControl];
}

std::span<const int> FactorOfSafetyLifeFrom()
{
    return kFsLifeFrom;
}

Extended NqFor(int degrees)
{
    if (degrees < kNqFirstAngle)
        degrees = kNqFirstAngle;
    if (degrees > kNqLastAngle)
        degrees = kNqLastAngle;
    return kNq[degrees - kNqFirstAngle];
}

std::span<const Extended> NqTable()
{
    return kNq;
}

const TConsistencyProps& ConsistencyPropsFor(int consistency)
{
    if (consistency < 0 || consistency >= kConsistencyCount)
        return kConsistencyProps[0];
    return kConsistencyProps[consistency];
}

std::span<const TCohesionDefault> CohesionTable()
{
    return kCohesion;
}
const TCohesionDefault& NoCohesionDefault()
{
    return kNoCohesion;
}
