#pragma once
// A project file assembled byte by byte from the published layout, independently of the
// program's writer: the reference the reader and the writer are held to.
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace golden {

// Distinct values that need the whole 64-bit mantissa: field k of the project block, field k
// of layer j, and value i of a fixed record.
inline long double projectValue(int k)
{
    return k + 1.0L / 3;
}
inline long double layerValue(int j, int k)
{
    return 1000 * (j + 1) + k + 1.0L / 7;
}
inline long double recordValue(int base, int i)
{
    return base + i - 1.0L / 9;
}

struct Options {
    std::string version = "1.00";
    std::uint8_t units = 0;
    std::int32_t interface = 1; // smooth concrete: no section is taken from the tables
    std::int32_t sectionIndex = 7;
    std::int32_t layerCount = 3;
    std::vector<std::uint8_t> logo {}; // JPEG bytes; none when empty
    std::int64_t logoLength = -1; // written as the picture length when >= 0 and logo is empty
    std::uint8_t padding = 0; // the bytes after texts and at the end of the fixed records
};

class Assembler {
public:
    std::vector<std::uint8_t> bytes;

    void u8(std::uint8_t v) { bytes.push_back(v); }
    void i32(std::int32_t v) { le(static_cast<std::uint32_t>(v), 4); }
    void i64(std::int64_t v) { le(static_cast<std::uint64_t>(v), 8); }
    void f64(double v)
    {
        std::uint64_t u;
        std::memcpy(&u, &v, 8);
        le(u, 8);
    }
    // The machine's own 80-bit layout (the tests that use it run only where it is that).
    void ext(long double v)
    {
        static_assert(sizeof(long double) >= 10);
        std::uint8_t raw[sizeof(long double)] = {};
        std::memcpy(raw, &v, sizeof v);
        bytes.insert(bytes.end(), raw, raw + 10);
    }
    void str(std::string_view ansi)
    {
        le(ansi.size(), 2);
        bytes.insert(bytes.end(), ansi.begin(), ansi.end());
    }
    // A length byte and the characters in a field of `size` bytes.
    void shortString(std::string_view ansi, std::size_t size, std::uint8_t pad)
    {
        u8(static_cast<std::uint8_t>(ansi.size()));
        bytes.insert(bytes.end(), ansi.begin(), ansi.end());
        fill(size - 1 - ansi.size(), pad);
    }
    void fill(std::size_t n, std::uint8_t v) { bytes.insert(bytes.end(), n, v); }

private:
    void le(std::uint64_t v, int n)
    {
        for (int i = 0; i < n; ++i)
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
};

// Layer j's enumerations and flags.
inline std::uint8_t layerMatType(int j)
{
    return static_cast<std::uint8_t>(1 + j % 7);
}
inline std::uint8_t layerUSCS(int j)
{
    return static_cast<std::uint8_t>(2 + j);
}
inline std::uint8_t layerConsistency(int j)
{
    return static_cast<std::uint8_t>(3 + j);
}
inline bool layerUsesPileDefaults(int j)
{
    return j != 1;
}
inline std::int32_t layerShape(int j)
{
    return j % 4;
}
inline std::int32_t layerColour(int j)
{
    return 0x123456 + j;
}
inline std::uint8_t layerHatch(int j)
{
    return static_cast<std::uint8_t>((j + 5) % 8);
}
inline bool layerNSF(int j)
{
    return j == 1;
}
inline std::string layerMaterial(int j)
{
    return "Steel \xB0" + std::to_string(j);
} // "°" in Windows-1252

inline std::vector<std::uint8_t> assemble(const Options& o)
{
    // V as the reader computes it for the versions the tests use.
    const int V = static_cast<int>(std::stold(o.version) * 100 + 0.5L);
    Assembler a;
    // Header: magic and version as length-prefixed texts in fields of 51 and 13 bytes.
    a.shortString("Braxholm Fendrix", 51, o.padding);
    a.shortString(o.version, 13, o.padding);

    a.str("Test Org \xE9"); // 1 Organization, "é"
    if (!o.logo.empty()) { // 2 Logo
        a.i64(static_cast<std::int64_t>(o.logo.size()));
        a.bytes.insert(a.bytes.end(), o.logo.begin(), o.logo.end());
    } else {
        a.i64(o.logoLength >= 0 ? o.logoLength : 0);
    }
    a.str("Pier 7 \x80"); // 3 ProjectName, "€"
    a.str("J-2024-017"); // 4 JobNumber
    a.str("A. Engineer"); // 5 DesignBy
    a.f64(45123.0); // 6 ProjectDate
    a.u8(o.units); // 7 Units
    a.u8(1); // 8 HeadCondition
    a.ext(projectValue(9)); // 9 PileLength
    a.ext(projectValue(10)); // 10 Width
    if (V >= 91)
        a.ext(projectValue(11)); // 11 Width2
    for (int k = 12; k <= 15; ++k)
        a.ext(projectValue(k)); // Fc, LateralLoad, MomentLoad, PassiveWedge
    a.str("Concrete C30"); // 16 MaterialName
    a.u8(0); // 17 EFromFc
    for (int k = 18; k <= 24; ++k)
        a.ext(projectValue(k)); // Area, E, I, DownwardLoad, three reserved
    a.i32(2); // 25 Shape: rectangle
    if (V >= 91) {
        a.i32(o.interface); // 26 Interface
        a.i32(2); // 27 PileType
        for (int k = 28; k <= 34; ++k)
            a.ext(projectValue(k)); // Perimeter .. Groundwater
        a.i32(50); // 35 DesignLife
        a.i32(2); // 36 ConstructionControl
    }
    if (V >= 92)
        a.ext(projectValue(37)); // AllowableDeflection
    if (V >= 100)
        a.ext(projectValue(38)); // UpliftLoad
    if (V >= 93) {
        a.u8(0); // 39 StaticAnalysis
        a.u8(1); // 40 CyclicAnalysis
        a.u8(2); // 41 ShapeFamily
        a.i32(0); // 42 MemberType
        a.i32(o.sectionIndex); // 43 SectionIndex
        for (int i = 0; i < 12; ++i) // 44 SteelInput
            a.ext(recordValue(100, i));
        a.u8(1);
        a.fill(7, o.padding);
    }
    if (V >= 94) {
        a.shortString("W14X89", 56, o.padding); // 45 IShape
        for (int i = 0; i < 18; ++i)
            a.ext(recordValue(200, i));
        a.fill(4, o.padding);
        a.shortString("HSS10.000X0.500", 56, o.padding); // 46 PipeShape
        for (int i = 0; i < 11; ++i)
            a.ext(recordValue(300, i));
        a.fill(2, o.padding);
    }
    if (V >= 95) {
        a.u8(1); // 47 StructuralDesign
        a.i32(2); // 48 RebarStandard
        a.i32(25); // BarSize
        a.i32(12); // BarCount
        a.i32(1); // TieType
        a.i32(10); // 52 TieBarSize
        for (int k = 53; k <= 56; ++k)
            a.ext(projectValue(k)); // Fy, Es, Cover, SpacingOverride
        a.i32(3); // 57 LoadCaseCount
        for (int k = 58; k <= 69; ++k)
            a.ext(projectValue(k)); // Pu1 Mu1 .. Pu4 Mu4, Vu1 .. Vu4
    }
    if (V >= 96) {
        for (int i = 0; i < 4; ++i) // 70 TimberInput
            a.ext(recordValue(400, i));
        a.i32(3);
        a.fill(4, o.padding);
    }
    a.i32(o.layerCount); // 71
    for (int j = 0; j < o.layerCount; ++j) {
        a.u8(layerMatType(j));
        a.u8(layerUSCS(j));
        a.u8(layerConsistency(j));
        for (int k = 4; k <= 10; ++k)
            a.ext(layerValue(j, k)); // Thickness .. Gamma
        a.u8(layerUsesPileDefaults(j) ? 1 : 0); // 11
        a.u8(0); // 12 OwnEFromFc
        a.str(layerMaterial(j)); // 13
        a.ext(layerValue(j, 14)); // OwnWidth
        if (V >= 91)
            a.ext(layerValue(j, 15)); // OwnWidth2
        for (int k = 16; k <= 18; ++k)
            a.ext(layerValue(j, k)); // OwnFc, OwnArea, OwnE
        a.ext(layerValue(j, 18)); // 19 OwnE again
        for (int k = 20; k <= 22; ++k)
            a.ext(layerValue(j, k)); // OwnI, two reserved
        a.i32(layerShape(j)); // 23
        if (V >= 91) {
            a.ext(layerValue(j, 24)); // SPTFieldN
            a.i32(4); // 25 OwnInterface
            a.i32(1); // 26 OwnPileType
            a.ext(layerValue(j, 27));
            a.ext(layerValue(j, 28));
        }
        if (V >= 92) {
            a.i32(layerColour(j));
            a.u8(layerHatch(j));
        }
        if (V >= 98)
            a.u8(layerNSF(j) ? 1 : 0);
    }
    return a.bytes;
}

} // namespace golden
