#pragma once
// The built-in engineering tables: steel sections, reinforcing bars, soil defaults, factors of
// safety, bearing capacity factors and the two tables keyed by soil consistency. Some are copied
// into process-wide "current" tables when the unit system, the section family or the bar
// standard changes; the others are read in place.
#include "model/lptypes.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

// Longest section name a project file can hold, and so the longest the section tables accept.
constexpr std::size_t kSectionNameMax = 55;

// An I or H section.
struct TIShape {
    std::string Name;
    Extended W = 0; // lb/ft | kg/m
    Extended A = 0; // in^2 | mm^2
    Extended d = 0; // in | mm
    Extended bf = 0; // in | mm
    Extended tw = 0; // in | mm
    Extended tf = 0; // in | mm
    Extended Ix = 0; // in^4 | 10^6 mm^4
    Extended Zx = 0; // in^3 | 10^3 mm^3
    Extended Sx = 0; // in^3 | 10^3 mm^3
    Extended rx = 0; // in | mm
    Extended Iy = 0; // in^4 | 10^6 mm^4
    Extended Zy = 0; // in^3 | 10^3 mm^3
    Extended Sy = 0; // in^3 | 10^3 mm^3
    Extended ry = 0; // in | mm
    Extended J = 0; // in^4 | 10^3 mm^4
    Extended Cw = 0; // in^6 | 10^9 mm^6
    Extended rts = 0; // in | mm
    Extended ho = 0; // in | mm
};

// A round hollow section or pipe.
struct TPipeShape {
    std::string Name;
    Extended W = 0; // lb/ft | kg/m
    Extended A = 0; // in^2 | mm^2
    Extended OD = 0; // in | mm
    Extended tnom = 0; // in | mm
    Extended tdes = 0; // in | mm
    Extended Dt = 0; // D/t
    Extended I = 0; // in^4 | 10^6 mm^4
    Extended Z = 0; // in^3 | 10^3 mm^3
    Extended S = 0; // in^3 | 10^3 mm^3
    Extended r = 0; // in | mm
    Extended J = 0; // in^4 | 10^3 mm^4
};

// A reinforcing bar. BarNo 0 marks an empty row that ends the list.
struct TRebar {
    std::int32_t BarNo = 0;
    std::int32_t MetricNo = 0; // metric designation of a US bar; 0 in the metric tables
    double Diameter = 0; // in | mm
    double Area = 0; // in^2 | mm^2
};

// A row of the soil-defaults table: the default lateral subgrade reaction of a soil description.
struct TSoilDefault {
    TMaterialType MatType = lpmtNone;
    TUSCS USCS = lpusNone;
    TConsistency Consistency = lpconNone;
    Extended SubgradeReaction = 0; // kcf | KN/m^3
};

// Poisson's ratio and soil modulus of a consistency.
struct TConsistencyProps {
    Extended PoissonRatio;
    Extended ModulusUS; // ksf
    Extended ModulusSI; // MPa
};

// Adhesion factor and undrained shear strength.
struct TCohesionDefault {
    Extended Alpha;
    Extended SuUS; // psf
    Extended SuSI; // kPa
};

constexpr int kRebarRows = 12;
constexpr int kSoilDefaultRows = 58;
constexpr int kNqFirstAngle = 25;
constexpr int kNqLastAngle = 45;

using TRebarTable = std::array<TRebar, kRebarRows>;
using TSoilDefaultTable = std::array<TSoilDefault, kSoilDefaultRows>;

// ---- steel sections -------------------------------------------------------------------------

// Sets `table` to the rows of the family's I/H (or round) table in the chosen unit system.
void LoadIShapes(TShapeFamily family, bool si, std::vector<TIShape>& table);
void LoadPipeShapes(TShapeFamily family, bool si, std::vector<TPipeShape>& table);

// Row counts of the family's tables (the same in both unit systems).
std::size_t IShapeCount(TShapeFamily family);
std::size_t PipeShapeCount(TShapeFamily family);

// The process-wide current section tables, set by `TLPData::SetUnits` and `SetShapeFamily`.
const std::vector<TIShape>& CurrentIShapes();
const std::vector<TPipeShape>& CurrentPipeShapes();
void SetCurrentSectionTables(TShapeFamily family, bool si);
// Empties both current section tables (at program end).
void ClearCurrentSectionTables();

// Why a section record cannot describe a section, and the value at fault; no reason when it can.
// No section has an area, modulus, moment of inertia or radius of gyration at zero or below, nor
// a plate size, D/t or torsional constant that the steel check divides by or takes roots of; and
// its plates must fit: a web thinner than the flange is wide, flanges and pipe walls that leave
// room between them. Values nothing computes with (the weight, Cw, a pipe's J and nominal wall)
// are not judged, so a user need not know them.
template <class Shape> struct TSectionFault {
    std::string Reason;
    Extended Shape::*Field = nullptr;

    explicit operator bool() const { return !Reason.empty(); }
};
TSectionFault<TIShape> SectionFault(const TIShape& shape);
TSectionFault<TPipeShape> SectionFault(const TPipeShape& shape);

// ---- reinforcing bars -----------------------------------------------------------------------

const TRebarTable& RebarTableUS();
const TRebarTable& RebarTableEuropean();
const TRebarTable& RebarTableCanadian();
// The 12-row table of a standard: 0 US, 1 European, any other value Canadian.
const TRebarTable& RebarTableOf(std::int32_t standard);
// The process-wide current bar table, set by `TLPData::LoadRebarTable`.
const TRebarTable& CurrentRebars();
void SetCurrentRebars(const TRebarTable& table);

// ---- soil defaults --------------------------------------------------------------------------

const TSoilDefaultTable& SoilDefaultsUS();
const TSoilDefaultTable& SoilDefaultsSI();
// The process-wide current soil-defaults table, set by `TLPData::SetUnits`.
const TSoilDefaultTable& CurrentSoilDefaults();
void SetCurrentSoilDefaults(bool si);

// ---- factors, Nq, consistency, adhesion -----------------------------------------------------

// Suggested factor of safety for a design life and a construction control (0 Good .. 3 Very Poor).
// A construction control outside 0..3 gives NaN.
Extended FactorOfSafetyFor(int designLife, int constructionControl);
// Smallest design life of each of the three rows.
std::span<const int> FactorOfSafetyLifeFrom();

// Bearing capacity factor Nq for a friction angle in whole degrees, limited to 25..45.
Extended NqFor(int degrees);
std::span<const Extended> NqTable();

// Row of a consistency (by ordinal); an ordinal outside 0..12 gives the "none" row.
const TConsistencyProps& ConsistencyPropsFor(int consistency);

// The nine adhesion rows: 0..6 Very Soft .. Very Hard, 7 siltstone bedrock, 8 every other material.
std::span<const TCohesionDefault> CohesionTable();
// An all-zero row for a cohesive layer whose consistency has no row.
const TCohesionDefault& NoCohesionDefault();
