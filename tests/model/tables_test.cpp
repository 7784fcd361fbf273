// The built-in tables: row counts, the generated section tables against their CSV files, and
// values checked against the published figures and independent formulas.
#include "model/lpclasses.h"
#include "model/tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct CsvRow {
    std::string name;
    std::vector<long double> values;
};

// An independent reader of the section files: not the build's generator.
std::vector<CsvRow> readCsv(const std::string& file)
{
    std::ifstream in(std::string(FENDRIX_SECTION_DATA_DIR) + "/" + file);
    EXPECT_TRUE(in.good()) << file;
    std::vector<CsvRow> rows;
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        std::stringstream ss(line);
        CsvRow row;
        std::getline(ss, row.name, ',');
        std::string cell;
        while (std::getline(ss, cell, ','))
            row.values.push_back(std::strtold(cell.c_str(), nullptr));
        rows.push_back(row);
    }
    return rows;
}

std::vector<long double> valuesOf(const TIShape& s)
{
    return { s.W, s.A, s.d, s.bf, s.tw, s.tf, s.Ix, s.Zx, s.Sx, s.rx, s.Iy, s.Zy, s.Sy, s.ry, s.J, s.Cw,
        s.rts, s.ho };
}

std::vector<long double> valuesOf(const TPipeShape& s)
{
    return { s.W, s.A, s.OD, s.tnom, s.tdes, s.Dt, s.I, s.Z, s.S, s.r, s.J };
}

template <typename Shape> void expectTableEqualsCsv(const std::vector<Shape>& table, const std::string& file)
{
    const auto csv = readCsv(file);
    ASSERT_EQ(table.size(), csv.size()) << file;
    for (std::size_t i = 0; i < csv.size(); ++i) {
        ASSERT_EQ(table[i].Name, csv[i].name) << file << " row " << i;
        ASSERT_LE(table[i].Name.size(), kSectionNameMax) << file << " row " << i; // fits the file's field
        const auto values = valuesOf(table[i]);
        ASSERT_EQ(values.size(), csv[i].values.size()) << file << " row " << i;
        for (std::size_t j = 0; j < values.size(); ++j)
            ASSERT_EQ(values[j], csv[i].values[j]) << file << " row " << i << " column " << j + 1;
    }
}

std::vector<TIShape> iShapes(TShapeFamily family, bool si)
{
    std::vector<TIShape> t;
    LoadIShapes(family, si, t);
    return t;
}

std::vector<TPipeShape> pipes(TShapeFamily family, bool si)
{
    std::vector<TPipeShape> t;
    LoadPipeShapes(family, si, t);
    return t;
}

} // namespace

TEST(SectionTables, RowCountsPerFamilyAndUnitSystem)
{
    for (bool si : { false, true }) {
        for (TShapeFamily f : { 0, 1, 4, 255 }) {
            EXPECT_EQ(iShapes(f, si).size(), 340u);
            EXPECT_EQ(pipes(f, si).size(), 165u);
        }
        EXPECT_EQ(iShapes(2, si).size(), 174u);
        EXPECT_EQ(pipes(2, si).size(), 829u);
        EXPECT_EQ(iShapes(3, si).size(), 111u);
        EXPECT_EQ(pipes(3, si).size(), 165u);
    }
    EXPECT_EQ(IShapeCount(2), 174u);
    EXPECT_EQ(PipeShapeCount(2), 829u);
}

TEST(SectionTables, EveryTableEqualsItsCsvFile)
{
    expectTableEqualsCsv(iShapes(0, false), "ishapes_w_hp_us.csv");
    expectTableEqualsCsv(iShapes(0, true), "ishapes_w_hp_si.csv");
    expectTableEqualsCsv(iShapes(2, false), "ishapes_ipe_he_us.csv");
    expectTableEqualsCsv(iShapes(2, true), "ishapes_ipe_he.csv");
    expectTableEqualsCsv(iShapes(3, false), "ishapes_ub_uc_us.csv");
    expectTableEqualsCsv(iShapes(3, true), "ishapes_ub_uc_si.csv");
    expectTableEqualsCsv(pipes(0, false), "pipes_hss_pipe_us.csv");
    expectTableEqualsCsv(pipes(0, true), "pipes_hss_pipe_si.csv");
    expectTableEqualsCsv(pipes(2, false), "pipes_chs_us.csv");
    expectTableEqualsCsv(pipes(2, true), "pipes_chs_si.csv");
}

TEST(SectionTables, PublishedValuesOfSomeSections)
{
    // W44X335 and W14X90 from the 15th-edition shapes database.
    const auto w = iShapes(0, false);
    EXPECT_DOUBLE_EQ(double(w[0].A), 98.5);
    EXPECT_DOUBLE_EQ(double(w[0].d), 44.0);
    EXPECT_DOUBLE_EQ(double(w[0].Ix), 31100.0);
    const auto w14 = std::find_if(w.begin(), w.end(), [](const TIShape& s) { return s.Name == "W14X90"; });
    ASSERT_NE(w14, w.end());
    EXPECT_DOUBLE_EQ(double(w14->A), 26.5);
    EXPECT_DOUBLE_EQ(double(w14->Zx), 157.0);
    EXPECT_DOUBLE_EQ(double(w14->bf), 14.5);
    // IPE 100: A 10.3 cm^2, Iy 171 cm^4 (strong axis) as catalogued.
    const auto ipe = iShapes(2, true);
    EXPECT_EQ(ipe[1].Name, "IPE 100");
    EXPECT_DOUBLE_EQ(double(ipe[1].A), 1030.0);
    EXPECT_DOUBLE_EQ(double(ipe[1].Ix), 1.71);
}

TEST(SectionTables, ConstructedCircularSectionsFollowTheirGeometry)
{
    // Recomputed here from D and t: area, inertia, moduli and radius of a tube.
    const long double pi = std::numbers::pi_v<long double>;
    for (const auto& s : pipes(2, true)) {
        const long double D = s.OD, t = s.tnom, di = D - 2 * t;
        const long double A = pi / 4 * (D * D - di * di);
        const long double I = pi / 64 * (D * D * D * D - di * di * di * di);
        EXPECT_NEAR(double(s.A / A), 1.0, 1e-5) << s.Name;
        EXPECT_NEAR(double(s.I * 1e6L / I), 1.0, 1e-5) << s.Name;
        EXPECT_NEAR(double(s.S * 1e3L / (2 * I / D)), 1.0, 1e-5) << s.Name;
        EXPECT_NEAR(double(s.Z * 1e3L / ((D * D * D - di * di * di) / 6)), 1.0, 1e-5) << s.Name;
        EXPECT_NEAR(double(s.J / (2 * s.I * 1e3L)), 1.0, 1e-5) << s.Name;
        EXPECT_NEAR(double(s.Dt / (D / t)), 1.0, 1e-5) << s.Name;
    }
}

TEST(SectionTables, UnitSystemsHoldTheSameSectionsRowByRow)
{
    // Same sections in both unit systems: the depth of each I/H row converts within the
    // rounding of the published tables.
    for (TShapeFamily f : { 0, 2, 3 }) {
        const auto us = iShapes(f, false), si = iShapes(f, true);
        ASSERT_EQ(us.size(), si.size());
        for (std::size_t i = 0; i < us.size(); ++i)
            EXPECT_NEAR(double(us[i].d * 25.4L / si[i].d), 1.0, 0.03) << us[i].Name << " / " << si[i].Name;
    }
    for (TShapeFamily f : { 0, 2 }) {
        const auto us = pipes(f, false), si = pipes(f, true);
        ASSERT_EQ(us.size(), si.size());
        for (std::size_t i = 0; i < us.size(); ++i)
            EXPECT_NEAR(double(us[i].OD * 25.4L / si[i].OD), 1.0, 0.03) << us[i].Name << " / " << si[i].Name;
    }
}

TEST(RebarTables, BarListsOfTheThreeStandards)
{
    auto countBars = [](const TRebarTable& t) {
        int n = 0;
        for (const auto& b : t)
            n += b.BarNo != 0;
        return n;
    };
    EXPECT_EQ(countBars(RebarTableUS()), 11);
    EXPECT_EQ(countBars(RebarTableEuropean()), 12);
    EXPECT_EQ(countBars(RebarTableCanadian()), 8);
    // Any other standard value takes the Canadian table.
    EXPECT_EQ(&RebarTableOf(7), &RebarTableCanadian());
    // A bar's area is close to that of its nominal diameter.
    for (const auto& b : RebarTableEuropean())
        EXPECT_NEAR(b.Area / (std::numbers::pi * b.Diameter * b.Diameter / 4), 1.0, 0.01) << b.BarNo;
}

TEST(SoilDefaultTables, RowsOfBothUnitSystems)
{
    const auto& us = SoilDefaultsUS();
    const auto& si = SoilDefaultsSI();
    ASSERT_EQ(us.size(), 58u);
    ASSERT_EQ(si.size(), 58u);
    for (std::size_t i = 0; i < us.size(); ++i) {
        EXPECT_EQ(us[i].MatType, si[i].MatType);
        EXPECT_EQ(us[i].USCS, si[i].USCS);
        EXPECT_EQ(us[i].Consistency, si[i].Consistency);
        // kcf to KN/m^3 is 157.09; the table's SI values are rounded engineering figures.
        EXPECT_NEAR(double(si[i].SubgradeReaction / (us[i].SubgradeReaction * 157.087L)), 1.0, 0.3) << i;
    }
}

TEST(FactorOfSafetyTable, RowsByDesignLifeAndColumnsByControl)
{
    EXPECT_EQ(double(FactorOfSafetyFor(24, 0)), 1.4);
    EXPECT_EQ(double(FactorOfSafetyFor(25, 0)), 2.0);
    EXPECT_EQ(double(FactorOfSafetyFor(99, 3)), 3.4);
    EXPECT_EQ(double(FactorOfSafetyFor(100, 3)), 4.0);
    EXPECT_EQ(double(FactorOfSafetyFor(-5, 1)), 2.0);
    EXPECT_EQ(double(FactorOfSafetyFor(75, 2)), 2.8);
    EXPECT_TRUE(std::isnan(FactorOfSafetyFor(75, 4)));
    EXPECT_TRUE(std::isnan(FactorOfSafetyFor(75, -1)));
}

TEST(NqTable, TwentyOneValuesFrom25To45Degrees)
{
    ASSERT_EQ(NqTable().size(), 21u);
    EXPECT_EQ(NqFor(26), NqTable()[1]);
    // Outside 25 to 45 degrees: the end values.
    EXPECT_EQ(NqFor(10), NqTable().front());
    EXPECT_EQ(NqFor(60), NqTable().back());
    for (std::size_t i = 1; i < NqTable().size(); ++i)
        EXPECT_GT(NqTable()[i], NqTable()[i - 1]);
}

TEST(ConsistencyTables, AnOrdinalOutsideTheTableHasNoProperties)
{
    EXPECT_EQ(ConsistencyPropsFor(lpconNone).PoissonRatio, 0);
    EXPECT_EQ(ConsistencyPropsFor(99).ModulusUS, 0);
    EXPECT_EQ(CohesionTable().size(), 9u);
}

// ---- records that cannot describe a section ---------------------------------------------------

TEST(SectionFaults, EveryBuiltInSectionCanBeTheUsersOwn)
{
    // The user's record starts as a copy of a table row: no row may be refused.
    for (bool si : { false, true }) {
        for (TShapeFamily f : { 0, 2, 3 }) {
            for (const TIShape& s : iShapes(f, si))
                EXPECT_EQ(SectionFault(s).Reason, "") << s.Name;
            for (const TPipeShape& s : pipes(f, si))
                EXPECT_EQ(SectionFault(s).Reason, "") << s.Name;
        }
    }
}

TEST(SectionFaults, ValuesAtOrBelowZeroAreRefusedByName)
{
    TIShape s = iShapes(0, false)[0];
    // Values nothing computes with need not be known.
    s.W = s.Cw = 0;
    EXPECT_FALSE(SectionFault(s));
    s.A = -5;
    EXPECT_EQ(SectionFault(s).Reason, "The area A must be greater than 0");
    EXPECT_EQ(SectionFault(s).Field, &TIShape::A);
    // An edit showing "N.A." reads back undefined.
    TPipeShape p = pipes(0, true)[0];
    p.J = p.tnom = 0;
    EXPECT_FALSE(SectionFault(p));
    p.r = std::numeric_limits<Extended>::quiet_NaN();
    EXPECT_EQ(SectionFault(p).Reason, "The radius of gyration r must be greater than 0");
    EXPECT_EQ(SectionFault(p).Field, &TPipeShape::r);
}

TEST(SectionFaults, PlatesMustFitTheSection)
{
    TIShape s = iShapes(0, false)[0];
    s.tw = s.bf;
    EXPECT_EQ(SectionFault(s).Reason, "The web thickness tw must be less than the flange width bf");
    EXPECT_EQ(SectionFault(s).Field, &TIShape::tw);
    s.tw = s.bf * 0.999L;
    EXPECT_FALSE(SectionFault(s));
    s.tf = s.d / 2;
    EXPECT_EQ(SectionFault(s).Reason, "The flange thickness tf must be less than half the depth d");
    EXPECT_EQ(SectionFault(s).Field, &TIShape::tf);
    s.tf = s.d / 2 * 0.999L;
    EXPECT_FALSE(SectionFault(s));

    // A pipe of 12 in with a 7 in wall would have a bore of -2 in.
    TPipeShape p = pipes(0, false)[0];
    p.OD = 12;
    for (Extended t : { 7.0L, 6.0L }) {
        p.tdes = t;
        EXPECT_EQ(
            SectionFault(p).Reason, "The wall thickness t must be less than half the outside diameter OD");
        EXPECT_EQ(SectionFault(p).Field, &TPipeShape::tdes);
    }
    p.tdes = 5.99L;
    EXPECT_FALSE(SectionFault(p));
}
