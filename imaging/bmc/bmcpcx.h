// ZSoft PC Paintbrush bitmaps (PCX).
#pragma once

#include "imaging/bmc/bmcutil.h"

namespace bmc {

extern const Format pcxFormat;

// The part of a run that did not fit on the line it started on.
struct PcxRun {
    int count = 0;
    std::uint8_t value = 0;
};

// Decodes one file line of len bytes. A run longer than the rest of the line is kept in run and
// continues the next line, unless trunc drops it at the line end. False at the end of the file.
bool PcxRleDecodeLine(ReadAheadBuffer& in, std::uint8_t* line, int len, bool trunc, PcxRun& run);

} // namespace bmc
