// Build-time generator of the steel section tables.
//
// Reads the section CSV files (one per table and unit system) and writes a C++ source that
// defines them as constant arrays, so that the CSV files stay the one source of the numbers.
// Usage: sectiongen <output.cpp> <csv directory>
// Every value must be a plain decimal; any malformed line stops the build with its file and line.
#include "model/tables.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct TableInfo {
    const char* symbol; // name of the generated array
    const char* file;
    bool iShape; // TIShape (18 values) or TPipeShape (11 values)
    int rows; // expected row count
};

// The tables the program carries, with the row counts of their designation lists.
const TableInfo kTables[] = {
    { "kWHpUS", "ishapes_w_hp_us.csv", true, 340 },
    { "kWHpSI", "ishapes_w_hp_si.csv", true, 340 },
    { "kIpeHeUS", "ishapes_ipe_he_us.csv", true, 174 },
    { "kIpeHeSI", "ishapes_ipe_he.csv", true, 174 },
    { "kUbUcUS", "ishapes_ub_uc_us.csv", true, 111 },
    { "kUbUcSI", "ishapes_ub_uc_si.csv", true, 111 },
    { "kHssPipeUS", "pipes_hss_pipe_us.csv", false, 165 },
    { "kHssPipeSI", "pipes_hss_pipe_si.csv", false, 165 },
    { "kChsUS", "pipes_chs_us.csv", false, 829 },
    { "kChsSI", "pipes_chs_si.csv", false, 829 },
};

const char* const kIShapeHeader = "Name,W,A,d,bf,tw,tf,Ix,Zx,Sx,rx,Iy,Zy,Sy,ry,J,Cw,rts,ho";
const char* const kPipeHeader = "Name,W,A,OD,tnom,tdes,Dt,I,Z,S,r,J";

std::vector<std::string> split(const std::string& line)
{
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, ','))
        cells.push_back(cell);
    if (!line.empty() && line.back() == ',')
        cells.emplace_back();
    return cells;
}

// A plain decimal: digits, at most one point, no sign, no exponent, not empty.
bool isPlainDecimal(const std::string& s)
{
    bool digit = false, point = false;
    for (char c : s) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

bool isSafeName(const std::string& s)
{
    if (s.empty() || s.size() > kSectionNameMax)
        return false;
    for (char c : s)
        if (c < 0x20 || c > 0x7e || c == '"' || c == '\\')
            return false;
    return true;
}

[[noreturn]] void fail(const std::string& file, int line, const std::string& what)
{
    throw std::runtime_error(file + ":" + std::to_string(line) + ": " + what);
}

void emitTable(std::ostream& out, const std::string& dir, const TableInfo& info)
{
    const std::string path = dir + "/" + info.file;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail(path, 0, "cannot open");
    const std::size_t columns = info.iShape ? 19 : 12;
    std::string line;
    int lineNo = 0, rows = 0;
    std::ostringstream body;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (lineNo == 1) {
            if (line != (info.iShape ? kIShapeHeader : kPipeHeader))
                fail(path, lineNo, "unexpected header");
            continue;
        }
        if (line.empty())
            continue;
        const auto cells = split(line);
        if (cells.size() != columns)
            fail(path, lineNo, "expected " + std::to_string(columns) + " cells");
        if (!isSafeName(cells[0]))
            fail(path, lineNo, "bad section name");
        body << "    {\"" << cells[0] << "\", {";
        for (std::size_t i = 1; i < cells.size(); ++i) {
            if (!isPlainDecimal(cells[i]))
                fail(path, lineNo, "not a plain decimal: '" + cells[i] + "'");
            // A floating literal even for whole numbers: "335L" would be a long integer.
            const bool whole = cells[i].find('.') == std::string::npos;
            body << (i > 1 ? ", " : "") << cells[i] << (whole ? ".0L" : "L");
        }
        body << "}},\n";
        ++rows;
    }
    if (rows != info.rows)
        fail(path, lineNo, "expected " + std::to_string(info.rows) + " rows, found " + std::to_string(rows));
    out << "const " << (info.iShape ? "TIShapeRow" : "TPipeShapeRow") << " " << info.symbol << "[" << rows
        << "] = {\n"
        << body.str() << "};\n\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: sectiongen <output.cpp> <csv directory>\n";
        return 2;
    }
    try {
        std::ostringstream out;
        out << "// Generated from data/sections/*.csv by model/gen/sectiongen.cpp. Do not edit.\n"
               "#include \"model/sectiondata.h\"\n\n"
               "namespace sectiondata {\n\n";
        for (const auto& info : kTables)
            emitTable(out, argv[2], info);
        for (const auto& info : kTables)
            out << "std::span<const " << (info.iShape ? "TIShapeRow" : "TPipeShapeRow") << "> "
                << (info.symbol + 1) << "() { return " << info.symbol << "; }\n";
        out << "\n} // namespace sectiondata\n";
        // Write beside the target and rename, so an interrupted run leaves no half file.
        const std::string target = argv[1];
        const std::string temp = target + ".tmp";
        {
            std::ofstream file(temp, std::ios::binary | std::ios::trunc);
            file << out.str();
            if (!file)
                throw std::runtime_error("cannot write " + temp);
        }
        if (std::rename(temp.c_str(), target.c_str()) != 0)
            throw std::runtime_error("cannot rename " + temp + " to " + target);
    } catch (const std::exception& e) {
        std::cerr << "sectiongen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
