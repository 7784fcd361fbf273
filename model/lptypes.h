#pragma once
// Basic types and enumerations shared by the project model, its tables and the analysis.
#include <cfenv>
#include <cmath>
#include <cstdint>

using Extended = long double;

// Stored as Integer in project files.
enum TPileShape : std::int32_t { psSquare = 0, psCircle = 1, psRectangle = 2, psOctagon = 3 };

// The pile material together with its surface.
enum TPileInterface : std::int32_t {
    piRoughConcrete = 0,
    piSmoothConcrete = 1,
    piRoughSteel = 2,
    piSmoothSteel = 3,
    piTimber = 4
};

enum TPileType : std::int32_t { ptJettedPile = 0, ptSmallDisplacement = 1, ptLargeDisplacement = 2 };

enum TRebarStandard : std::int32_t { rsUS = 0, rsEuropean = 1, rsCanadian = 2 };

// Selects the steel section tables: 2 = IPE/HE and CHS, 3 = UB/UC and HSS/Pipe,
// every other value = W/HP and HSS/Pipe.
using TShapeFamily = std::uint8_t;

// Soil description of a layer; stored as one byte each.
enum TMaterialType : std::uint8_t {
    lpmtNone = 0,
    lpmtGranularSoil,
    lpmtCohesiveSoil,
    lpmtSandstoneBedrock,
    lpmtSiltstoneBedrock,
    lpmtSoftRockBedrock,
    lpmtHardRockBedrock,
    lpmtLimeStoneBedrock
};

enum TUSCS : std::uint8_t {
    lpusNone = 0,
    lpusGwGpGc,
    lpusSW,
    lpusSP,
    lpusSC,
    lpusSM,
    lpusML,
    lpusCL,
    lpusCH,
    lpusMH,
    lpusBedrock1,
    lpusBedrock2,
    lpusBedrock3,
    lpusBedrock4,
    lpusBedrock5
};

enum TConsistency : std::uint8_t {
    lpconNone = 0,
    lpconVeryLoose,
    lpconLoose,
    lpconMediumDense,
    lpconDense,
    lpconVeryDense,
    lpconVerySoft,
    lpconSoft,
    lpconFirm,
    lpconStiff,
    lpconVeryStiff,
    lpconHard,
    lpconVeryHard
};

constexpr int kMaterialTypeCount = 8;
constexpr int kUSCSCount = 15;
constexpr int kConsistencyCount = 13;

// Unit systems of `TLPData::Units`.
constexpr std::uint8_t kUnitsUS = 0;
constexpr std::uint8_t kUnitsSI = 1;

// Tie type of the reinforced-concrete section.
constexpr std::int32_t kTieTypeTie = 0;
constexpr std::int32_t kTieTypeSpiral = 1;

// Head condition of the pile.
constexpr std::uint8_t kFreeHead = 0;
constexpr std::uint8_t kFixedHead = 1;

// Construction control: 0 Good, 1 Normal, 2 Poor, 3 Very Poor.
constexpr int kConstructionControlCount = 4;

// Brush styles of a layer's hatch.
enum TBrushStyle : std::uint8_t {
    bsSolid = 0,
    bsClear = 1,
    bsHorizontal = 2,
    bsVertical = 3,
    bsFDiagonal = 4,
    bsBDiagonal = 5,
    bsCross = 6,
    bsDiagCross = 7
};

// Nearest integer, halves to even, as a 64-bit integer. NaN gives 0; values beyond the 64-bit
// range give its ends.
inline std::int64_t RoundHalfEven(Extended x)
{
    if (std::isnan(x))
        return 0;
    if (x >= 9.2e18L)
        return INT64_MAX;
    if (x <= -9.2e18L)
        return INT64_MIN;
    // In the default rounding mode the conversion itself rounds halves to even; any other mode
    // (a printer driver or plug-in may leave one set) takes the long way.
    if (std::fegetround() == FE_TONEAREST)
        return std::llrint(x);
    Extended r = std::floor(x);
    const Extended diff = x - r;
    if (diff > 0.5L || (diff == 0.5L && std::fmod(r, 2.0L) != 0))
        r += 1;
    return static_cast<std::int64_t>(r);
}
