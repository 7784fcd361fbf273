// The two conversions at the file boundary: 10-byte extended reals and Windows-1252 texts.
#include "model/ansitext.h"
#include "model/extended80.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <iconv.h>
#include <limits>
#include <random>
#include <string>
#include <utility>

namespace {

TExtended80 bytesOf(std::initializer_list<int> b)
{
    TExtended80 out {};
    std::size_t i = 0;
    for (int v : b)
        out[i++] = static_cast<std::uint8_t>(v);
    return out;
}

// The machine's own 80-bit layout, where it has one: an independent reference for the
// arithmetic conversion.
bool machineHas80BitExtended()
{
    return LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384;
}

TExtended80 machineBytes(long double v)
{
    TExtended80 out {};
    std::memcpy(out.data(), &v, 10);
    return out;
}

// glibc's own Windows-1252 decoder; empty when it refuses the byte.
std::string iconvCp1252ToUtf8(unsigned char byte)
{
    iconv_t cd = iconv_open("UTF-8", "CP1252");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return "<no iconv>";
    char in[1] = { static_cast<char>(byte) };
    char out[8] = {};
    char* pin = in;
    char* pout = out;
    std::size_t inLeft = 1, outLeft = sizeof out;
    const std::size_t r = iconv(cd, &pin, &inLeft, &pout, &outLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1))
        return {};
    return std::string(out, sizeof out - outLeft);
}

} // namespace

TEST(Extended80, KnownEncodings)
{
    // 1.0: integer bit alone, exponent 3FFF. -2.0: exponent 4000 with the sign. 10.0 is only read.
    constexpr long double inf = std::numeric_limits<long double>::infinity();
    const std::pair<long double, TExtended80> known[] = {
        { 1.0L, bytesOf({ 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F }) },
        { -2.0L, bytesOf({ 0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0 }) },
        { 1.5L, bytesOf({ 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F }) },
        { 0.0L, bytesOf({ 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }) },
        { inf, bytesOf({ 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F }) },
        { -inf, bytesOf({ 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF }) },
    };
    for (const auto& [value, bytes] : known) {
        EXPECT_EQ(EncodeExtended80(value), bytes) << static_cast<double>(value);
        EXPECT_EQ(DecodeExtended80(bytes.data()), value) << static_cast<double>(value);
    }
    const TExtended80 negativeZero = bytesOf({ 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80 });
    EXPECT_EQ(EncodeExtended80(-0.0L), negativeZero);
    EXPECT_TRUE(std::signbit(DecodeExtended80(negativeZero.data())));
    EXPECT_EQ(DecodeExtended80(bytesOf({ 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x02, 0x40 }).data()), 10.0L);
    const TExtended80 nan = EncodeExtended80(std::numeric_limits<long double>::quiet_NaN());
    EXPECT_EQ(nan[9] & 0x7F, 0x7F);
    EXPECT_EQ(nan[8], 0xFF);
    EXPECT_NE(nan[7] & 0x40, 0); // quiet
    EXPECT_TRUE(std::isnan(DecodeExtended80(bytesOf({ 1, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F }).data())));
    // 0.1: the mantissa CCCC...CCCD rounded to nearest.
    if (machineHas80BitExtended()) {
        EXPECT_EQ(
            EncodeExtended80(0.1L), bytesOf({ 0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F }));
    }
}

TEST(Extended80, DenormalsAndTheEndsOfTheRange)
{
    if (!machineHas80BitExtended())
        GTEST_SKIP() << "long double is not the 80-bit format here";
    const long double values[] = { LDBL_MIN, LDBL_MAX, -LDBL_MAX, LDBL_TRUE_MIN, -LDBL_TRUE_MIN, LDBL_MIN / 3,
        LDBL_EPSILON, 1 + LDBL_EPSILON, 12345.678901234567890L };
    for (long double v : values) {
        EXPECT_EQ(EncodeExtended80(v), machineBytes(v)) << static_cast<double>(v);
        EXPECT_EQ(DecodeExtended80(machineBytes(v).data()), v);
    }
    // The smallest denormal: mantissa 1, exponent field 0.
    EXPECT_EQ(EncodeExtended80(LDBL_TRUE_MIN), bytesOf({ 1, 0, 0, 0, 0, 0, 0, 0, 0, 0 }));
    // An "unnormal" (integer bit clear, exponent not 0) is read by its value, never trapped.
    const Extended unnormal = DecodeExtended80(bytesOf({ 0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F }).data());
    EXPECT_EQ(unnormal, 0.5L);
}

TEST(Extended80, RandomValuesMatchTheMachineLayoutBitForBit)
{
    if (!machineHas80BitExtended())
        GTEST_SKIP() << "long double is not the 80-bit format here";
    std::mt19937_64 random(20240601);
    for (int i = 0; i < 20000; ++i) {
        // Random mantissa and exponent over the whole normal range, both signs.
        TExtended80 b {};
        const std::uint64_t mantissa = random() | (std::uint64_t(1) << 63);
        const unsigned exponent = 1 + static_cast<unsigned>(random() % 0x7FFE);
        for (int k = 0; k < 8; ++k)
            b[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(mantissa >> (8 * k));
        const unsigned top = exponent | ((random() & 1) ? 0x8000u : 0u);
        b[8] = static_cast<std::uint8_t>(top);
        b[9] = static_cast<std::uint8_t>(top >> 8);
        long double machine = 0;
        std::memcpy(&machine, b.data(), 10);
        const Extended decoded = DecodeExtended80(b.data());
        ASSERT_EQ(decoded, machine);
        ASSERT_EQ(EncodeExtended80(decoded), b);
    }
}

TEST(AnsiText, EveryDefinedByteAgreesWithTheSystemDecoder)
{
    for (int byte = 1; byte < 256; ++byte) {
        const std::string reference = iconvCp1252ToUtf8(static_cast<unsigned char>(byte));
        ASSERT_NE(reference, "<no iconv>");
        const std::string ours = AnsiToUtf8(std::string(1, static_cast<char>(byte)));
        if (reference.empty()) {
            // The five bytes the code page leaves undefined come back as themselves.
            EXPECT_TRUE(byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D) << byte;
            EXPECT_EQ(Utf8ToAnsi(ours), std::string(1, static_cast<char>(byte)));
        } else {
            EXPECT_EQ(ours, reference) << "byte " << byte;
        }
        // Every byte survives the way back.
        EXPECT_EQ(Utf8ToAnsi(ours), std::string(1, static_cast<char>(byte))) << "byte " << byte;
    }
}

TEST(AnsiText, CharactersWithoutAFormBecomeQuestionMarks)
{
    EXPECT_EQ(Utf8ToAnsi("Caf\xC3\xA9 \xE2\x82\xAC 5"), "Caf\xE9 \x80 5");
    EXPECT_EQ(Utf8ToAnsi("\xE4\xB8\xAD\xE6\x96\x87"), "??"); // two CJK characters
    EXPECT_EQ(Utf8ToAnsi("\xF0\x9F\x98\x80!"), "?!"); // a character outside the BMP is one "?"
    EXPECT_EQ(Utf8ToAnsi("\xC2\x80"), "?"); // a C1 control the code page has no place for
    // Malformed UTF-8: each stray byte is one "?", the rest kept.
    EXPECT_EQ(Utf8ToAnsi("a\xC3z"), "a?z");
    EXPECT_EQ(Utf8ToAnsi("a\xFF\xFE"), "a??");
    EXPECT_EQ(Utf8ToAnsi("\xC0\xAF"), "??"); // overlong "/"
    EXPECT_EQ(Utf8ToAnsi("\xED\xA0\x80"), "???"); // a surrogate
    EXPECT_EQ(Utf8ToAnsi("\xE2\x82"), "??"); // cut short
}

TEST(AnsiText, CutsAtTheGivenNumberOfCharacters)
{
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "\xC3\xA9"; // é, two bytes in UTF-8, one in the file
    const std::string ansi = Utf8ToAnsi(text, 255);
    EXPECT_EQ(ansi.size(), 255u);
    EXPECT_EQ(ansi, std::string(255, '\xE9'));
    EXPECT_EQ(Utf8ToAnsi("abc", 0), "");
}
