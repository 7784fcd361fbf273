#pragma once
// Helpers of the TIFF and icon tests: fixture paths, the generated source pictures the fixtures
// were made from (PBM, PGM and PPM files), and a small reader of TIFF directories that does not
// go through the TIFF library, to check what was written.
#include "imaging/dibgraphic.h"
#include "tests/imaging/testsupport.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testimages {

std::string tiffPath(const std::string& name);
std::string iconPath(const std::string& name);
using pnm::Pnm;
using pnm::readFile;
using pnm::readPnm;
using testsupport::maxDifference;

// One directory of a TIFF file: tag -> (type, count, values). ASCII values come as text.
struct IfdEntry {
    uint16_t type = 0;
    uint32_t count = 0;
    std::vector<uint32_t> values;
    std::string text;
};
using Ifd = std::map<uint16_t, IfdEntry>;
// All directories of the file, first to last.
std::vector<Ifd> readIfds(const std::vector<uint8_t>& file);

// Makes the imaging library ready (once).
void initialize();

} // namespace testimages
