#pragma once
// The steel section tables as generated at build time from data/sections/*.csv.
#include "model/lptypes.h"
#include "model/tables.h"

#include <span>

namespace sectiondata {

// The names are held in the rows (with their terminating zero), not pointed to: tables without
// pointers are loaded as they are stored, where thousands of name pointers would each be fixed
// up at every program start.

// Values in TIShape order: W, A, d, bf, tw, tf, Ix, Zx, Sx, rx, Iy, Zy, Sy, ry, J, Cw, rts, ho.
struct TIShapeRow {
    char Name[kSectionNameMax + 1];
    Extended Values[18];
};

// Values in TPipeShape order: W, A, OD, tnom, tdes, Dt, I, Z, S, r, J.
struct TPipeShapeRow {
    char Name[kSectionNameMax + 1];
    Extended Values[11];
};

// Same rows in the same order in both unit systems of a table.
std::span<const TIShapeRow> WHpUS();
std::span<const TIShapeRow> WHpSI();
std::span<const TIShapeRow> IpeHeUS();
std::span<const TIShapeRow> IpeHeSI();
std::span<const TIShapeRow> UbUcUS();
std::span<const TIShapeRow> UbUcSI();
std::span<const TPipeShapeRow> HssPipeUS();
std::span<const TPipeShapeRow> HssPipeSI();
std::span<const TPipeShapeRow> ChsUS();
std::span<const TPipeShapeRow> ChsSI();

} // namespace sectiondata
